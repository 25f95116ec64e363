#include "takingstree.h"

#include "ctrluiclass.h"
#include "sqltext.h"
#include "summarybook.h"

#include <QStandardItemModel>

// The takings come from the daily summaries for the whole days of the period
// and from the records only for the hours around them: a year is 365 rows a
// method, not every payment and sale of the year.
bool TakingsTree::refill(ctrlUiClass &ctrl, const QString &workTable, const QString &from, const QString &to)
{
    const QString source = SummaryBook::takingsSource(from, to);
    bool ok = ctrl.execSql(QStringLiteral("delete from ") + workTable);
    for (const char *kind : {"交费", "消费"})
        ok = ctrl.execSql(QStringLiteral("INSERT into ") + workTable
                          + QStringLiteral("(fukuanfangshi,jine) SELECT fangshi,ROUND(SUM(jine),3) from (") + source
                          + QStringLiteral(") s WHERE laiyuan='") + QString::fromUtf8(kind)
                          + QStringLiteral("' GROUP BY fangshi"))
            && ok;
    return ok;
}

QString TakingsTree::amount(ctrlUiClass &ctrl, const QString &sql)
{
    const QStringList row = ctrl.queryRow(sql);
    if (row.isEmpty() || row.first().isEmpty())
        return QStringLiteral("0");
    return row.first();
}

void TakingsTree::build(ctrlUiClass &ctrl, QStandardItemModel *model, const QString &workTable,
                        const QString &from, const QString &to)
{
    const QString source = SummaryBook::takingsSource(from, to);
    const QString payRange = QStringLiteral(" from (") + source + QStringLiteral(") s WHERE laiyuan='交费'");
    const QString saleRange = QStringLiteral(" from (") + source + QStringLiteral(") s WHERE laiyuan='消费'");

    struct Line { QString caption, total, children; };
    const Line lines[] = {
        {QStringLiteral("充值交费合计"),
         QStringLiteral("select  ROUND(sum(jine),3)") + payRange,
         QStringLiteral("select  fangshi,ROUND(sum(jine),3)") + payRange + QStringLiteral(" GROUP BY fangshi")},
        {QStringLiteral("消费收银合计"),
         QStringLiteral("select  ROUND(sum(jine),3)") + saleRange,
         QStringLiteral("select  fangshi,ROUND(sum(jine),3)") + saleRange + QStringLiteral(" GROUP BY fangshi")},
        {QStringLiteral("收银总计"),
         QStringLiteral("select  ROUND(SUM(jine),3) from ") + workTable,
         QStringLiteral("select  fukuanfangshi,ROUND(SUM(jine),3) from ") + workTable
             + QStringLiteral(" GROUP BY fukuanfangshi")},
        {QStringLiteral("实际收入"),
         QStringLiteral("select  ROUND(SUM(jine),3) from ") + workTable
             + QStringLiteral(" WHERE fukuanfangshi!='储蓄卡'"),
         QString()},
        {QStringLiteral("虚拟收入"),
         QStringLiteral("select  ROUND(SUM(jine),3) from ") + workTable
             + QStringLiteral(" WHERE fukuanfangshi='储蓄卡'"),
         QString()},
    };

    model->clear();
    model->setHorizontalHeaderLabels({QStringLiteral("项目"), QStringLiteral("金额")});
    for (const Line &line : lines) {
        auto *caption = new QStandardItem(line.caption);
        auto *total = new QStandardItem(amount(ctrl, line.total));
        caption->setEditable(false);
        total->setEditable(false);
        if (!line.children.isEmpty()) {
            const QList<QStringList> rows = ctrl.queryRows(line.children);
            for (const QStringList &r : rows) {
                auto *method = new QStandardItem(r.value(0));
                auto *sum = new QStandardItem(r.value(1).isEmpty() ? QStringLiteral("0") : r.value(1));
                method->setEditable(false);
                sum->setEditable(false);
                caption->appendRow({method, sum});
            }
        }
        model->appendRow({caption, total});
    }
}
