// 导入 on the member, service-item, product and card-type pages: the shop's own
// spreadsheets taken in (app/daorudlg.*), the lists re-run afterwards.
#include "mainwindow.h"
#include "operatorsession.h"
#include "ui_mainwindow.h"

#include "daorudlg.h"
#include "dbrecords.h"

#include <QBoxLayout>
#include <QToolButton>

namespace {
// The page buttons the import button goes beside, and what it imports.
struct ImportPlace
{
    const char *besideButton;
    bool after;
    const char *objectName;
    ImportKind kind;
};
const ImportPlace kImportPlaces[] = {
    {"toolButton_33", true, "toolButton_importMembers", ImportKind::Members},       // after 套餐续费
    {"toolButton_42", false, "toolButton_importItems", ImportKind::ServiceItems},   // before 导出
    {"toolButton_51", false, "toolButton_importProducts", ImportKind::Products},    // before 导出
    {"toolButton_151", true, "toolButton_importCardTypes", ImportKind::CardTypes},  // after 删除
};
} // namespace

void MainWindow::setupImports()
{
    for (const ImportPlace &place : kImportPlaces) {
        auto *beside = findChild<QAbstractButton *>(QLatin1String(place.besideButton));
        if (!beside)
            continue;
        auto *button = new QToolButton(beside->parentWidget());
        button->setObjectName(QLatin1String(place.objectName));
        button->setText(QStringLiteral("导入"));
        button->setMinimumSize(beside->minimumSize());
        button->setToolTip(QStringLiteral("从 Excel 或 CSV 文件导入"));
        for (QBoxLayout *layout : beside->parentWidget()->findChildren<QBoxLayout *>()) {
            const int at = layout->indexOf(beside);
            if (at >= 0) {
                layout->insertWidget(place.after ? at + 1 : at, button);
                break;
            }
        }
        const ImportKind kind = place.kind;
        connect(button, &QToolButton::clicked, this, [this, kind] { openImportDlg(kind); });
    }
}

void MainWindow::openImportDlg(ImportKind kind)
{
    if (!atWorkMayChangeSettings(this))
        return;
    auto *dlg = new DaoruDlg(kind);
    connect(dlg, &DaoruDlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg->exec();
    delete dlg;
}
