#include "takingstree.h"

#include "ctrluiclass.h"
#include "sqltext.h"

#include <QStandardItemModel>

bool TakingsTree::refill(ctrlUiClass &ctrl, const QString &workTable, const QString &from, const QString &to)
{
    const QString f = sqlEsc(from);
    const QString t = sqlEsc(to);
    bool ok = ctrl.execSql(QStringLiteral("delete from ") + workTable);
    ok = ctrl.execSql(QStringLiteral("INSERT into ") + workTable
                      + QStringLiteral("(fukuanfangshi,jine) SELECT fukuanleixing,ROUND(SUM(shifujine),3) "
                                       "from huiyuanjiaofei a WHERE jiaofeiriqi BETWEEN '")
                      + f + QStringLiteral("' and '") + t + QStringLiteral("' GROUP BY a.fukuanleixing"))
        && ok;
    ok = ctrl.execSql(QStringLiteral("INSERT into ") + workTable
                      + QStringLiteral("(fukuanfangshi,jine) SELECT fukuanfangshi,ROUND(SUM(shishoujine),3) "
                                       "from huiyuanxiaofei a WHERE xiaofeiriqi BETWEEN '")
                      + f + QStringLiteral("' and '") + t + QStringLiteral("' GROUP BY a.fukuanfangshi"))
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
    const QString f = sqlEsc(from);
    const QString t = sqlEsc(to);
    const QString payRange = QStringLiteral(" from huiyuanjiaofei WHERE jiaofeiriqi between '") + f
        + QStringLiteral("' and '") + t + QStringLiteral("'");
    const QString saleRange = QStringLiteral(" from huiyuanxiaofei WHERE xiaofeiriqi between '") + f
        + QStringLiteral("' and '") + t + QStringLiteral("'");

    struct Line { QString caption, total, children; };
    const Line lines[] = {
        {QStringLiteral("充值交费合计"),
         QStringLiteral("select  ROUND(sum(shifujine),3)") + payRange,
         QStringLiteral("select  fukuanleixing,ROUND(sum(shifujine),3)") + payRange
             + QStringLiteral(" GROUP BY fukuanleixing")},
        {QStringLiteral("消费收银合计"),
         QStringLiteral("select  ROUND(sum(shishoujine),3)") + saleRange,
         QStringLiteral("select  fukuanfangshi,ROUND(sum(shishoujine),3)") + saleRange
             + QStringLiteral(" GROUP BY fukuanfangshi")},
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
