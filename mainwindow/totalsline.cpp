#include "totalsline.h"

#include "ctrluiclass.h"
#include "listcelldelegate.h"
#include "reportreads.h"
#include "sqltext.h"

#include <QLayout>
#include <QSplitter>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// Captions of columns that hold prices, ratios, names or kinds: summing them says nothing.
bool isPerUnit(const QString &caption)
{
    for (const char *word : {"单价", "价格", "折扣", "比例", "底价", "编号", "单号", "卡号", "ID", "员工", "方式",
                             "类型", "类别", "日期", "时间", "姓名", "名称"})
        if (caption.contains(QString::fromUtf8(word)))
            return true;
    return false;
}
} // namespace

TotalsLine::TotalsLine(ctrlUiClass *ctrl, const QString &viewName, QTableView *table)
    : m_ctrl(ctrl), m_view(viewName), m_table(table)
{
    setObjectName(QStringLiteral("totals_") + table->objectName());
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setStyleSheet(QStringLiteral("QLabel{background:#F5F9FC;border:1px solid #D5E3F0;border-top:0px;"
                                 "padding:3px 8px;color:#1f3b57;}"));
    QWidget *parent = table->parentWidget();
    // Made without a parent: a new child of a splitter would join it at the end.
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The box takes the table's share of its splitter or layout: with none, the
    // list beside a tree was squeezed into a narrow strip.
    box->setSizePolicy(table->sizePolicy());
    if (auto *splitter = qobject_cast<QSplitter *>(parent)) {
        splitter->insertWidget(splitter->indexOf(table), box); // the table leaves as it moves into the box
    } else if (parent && parent->layout()) {
        delete parent->layout()->replaceWidget(table, box, Qt::FindChildrenRecursively);
    }
    layout->addWidget(table, 1);
    layout->addWidget(this, 0);
    connect(ctrl, &ctrlUiClass::viewRefreshed, this, [this](const QString &name) {
        if (name == m_view)
            recompute();
    });
    recompute();
}

bool TotalsLine::isTotalled(const QString &caption)
{
    if (isPerUnit(caption))
        return false;
    for (const char *word : {"金额", "次数", "数量", "积分", "提成", "实收", "实付", "欠款", "收入", "合计"})
        if (caption.contains(QString::fromUtf8(word)))
            return true;
    return false;
}

void TotalsLine::recompute()
{
    if (!m_table)
        return;
    auto *model = qobject_cast<QSqlQueryModel *>(m_table->model());
    const QString sql = m_ctrl->currentSql(m_view);
    if (!model || sql.isEmpty()) {
        setText(QString());
        return;
    }
    const QSqlRecord record = model->record();
    if (record.isEmpty()) {
        // A list not shown yet has run nothing; its totals come with its first load.
        setText(QString());
        return;
    }
    QStringList captions, columns;
    QList<int> positions;
    for (int i = 0; i < record.count(); ++i) {
        const QString caption = model->headerData(i, Qt::Horizontal).toString();
        if (isTotalled(caption)) {
            captions << caption;
            columns << record.fieldName(i);
            positions << i;
        }
    }
    QStringList sums;
    // A list that holds its whole result already (a ranking of 20 employees, a
    // period's 40 services) is summed where it stands: running its grouped
    // statement again would cost as much as the list did.
    if (!model->canFetchMore() && !model->lastError().isValid()) {
        QList<double> totals;
        for (int i = 0; i < positions.size(); ++i)
            totals << 0.0;
        for (int r = 0; r < model->rowCount(); ++r)
            for (int k = 0; k < positions.size(); ++k)
                totals[k] += model->data(model->index(r, positions.at(k))).toDouble();
        sums << QString::number(model->rowCount());
        for (double t : totals)
            sums << QString::number(t, 'f', 2);
    }
    // A declared aggregate over the list's rows costs a fraction of summing the
    // grouped list itself; it must give the count and one sum per column.
    if (sums.isEmpty()) {
        sums = m_ctrl->declaredTotals(m_view);
        if (sums.size() != columns.size() + 1)
            sums.clear();
    }
    if (sums.isEmpty())
        sums = ReportReads::totals(sql, m_ctrl->currentValues(m_view), columns);
    if (sums.isEmpty()) {
        setText(QStringLiteral("合计：—"));
        return;
    }
    QStringList parts;
    parts << QStringLiteral("合计：%1 条").arg(sums.value(0));
    for (int i = 0; i < captions.size(); ++i)
        parts << captions.at(i) + QStringLiteral(" ")
                     + (ListCellDelegate::isMoneyCaption(captions.at(i)) ? moneyShown(sums.value(i + 1).toDouble())
                                                : moneyText(sums.value(i + 1).toDouble()));
    setText(parts.join(QStringLiteral("　　")));
}
