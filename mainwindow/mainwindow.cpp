#include "mainwindow.h"

#include "dbsetconfig.h"
#include "sqllog.h"

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("会员管理收银系统"));
    openDatabase();
    createTables();
    m_registry = std::make_unique<TableRegistry>();
}

MainWindow::~MainWindow() = default;

void MainWindow::DlgRecv(const QString &key, const QVariant &value)
{
    if (key == QStringLiteral("添加数据")) {
        if (value.userType() == qMetaTypeId<dbctrlstruct>()) {
            const dbctrlstruct r = value.value<dbctrlstruct>();
            if (const TableEntry *t = m_registry->find(r.table)) {
                m_ctrl.insertRecord(t, r.values);
                qCDebug(lcSql) << r.table;
            }
        } else if (value.userType() == qMetaTypeId<dbctrlsqlstruct>()) {
            const dbctrlsqlstruct r = value.value<dbctrlsqlstruct>();
            if (const TableEntry *t = m_registry->find(r.table)) {
                m_ctrl.insertSelect(t, r.select);
                qCDebug(lcSql) << r.table;
            }
        }
    } else if (key == QStringLiteral("修改数据") && value.userType() == qMetaTypeId<redbctrlstruct>()) {
        const redbctrlstruct r = value.value<redbctrlstruct>();
        if (const TableEntry *t = m_registry->find(r.table)) {
            m_ctrl.updateRecord(t, r.fields, r.values, r.whereCount);
            qCDebug(lcSql) << "修改" + r.table;
        }
    } else if (key == QStringLiteral("删除数据") && value.userType() == qMetaTypeId<redbctrlstruct>()) {
        const redbctrlstruct r = value.value<redbctrlstruct>();
        if (const TableEntry *t = m_registry->find(r.table)) {
            m_ctrl.deleteRecord(t, r.fields, r.values);
            qCDebug(lcSql) << "删除" + r.table;
        }
    }
}
