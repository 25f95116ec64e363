#include "takingstree.h"

#include "amounts.h"

#include <QStandardItemModel>

namespace {

QList<QStandardItem *> row(const QString &caption, qint64 cents)
{
    auto *text = new QStandardItem(caption);
    auto *amount = new QStandardItem(centsText(cents));
    text->setEditable(false);
    amount->setEditable(false);
    return {text, amount};
}

} // namespace

void TakingsTree::build(QStandardItemModel *model, const Takings &t)
{
    struct Line
    {
        QString caption;
        qint64 cents;
        QList<MethodTakings> children;
    };
    const Line lines[] = {
        {QStringLiteral("充值交费合计"), t.paymentsCents(), t.payments},
        {QStringLiteral("消费收银合计"), t.salesCents(), t.sales},
        {QStringLiteral("收银总计"), t.totalCents(), t.byMethod()},
        {QStringLiteral("实际收入"), t.realCents(), {}},
        {QStringLiteral("虚拟收入"), t.virtualCents(), {}},
    };
    model->clear();
    model->setHorizontalHeaderLabels({QStringLiteral("项目"), QStringLiteral("金额")});
    for (const Line &line : lines) {
        const QList<QStandardItem *> top = row(line.caption, line.cents);
        for (const MethodTakings &m : line.children)
            top.first()->appendRow(row(m.method, m.cents));
        model->appendRow(top);
    }
}
