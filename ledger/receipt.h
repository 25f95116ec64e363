#ifndef RECEIPT_H
#define RECEIPT_H

#include <QList>
#include <QPair>
#include <QString>
#include <QVariantList>
#include <QtGlobal>

#include "receiptsettings.h"

// One document as its receipt tells it, read back from the rows its writer
// left: a sale or its void, a card issue, top-up, renewal or refund, with the
// repayments taken on its debt since, and the shop's settings it is printed
// with. The window prints from this value and reads nothing itself.
struct ReceiptLine
{
    QString name;
    QString quantity;
    QString listPrice;
    QString price;     // charged per unit; "套餐" for a package use
    QString amount;
    QString discount;  // list × quantity − amount, when there was one
    QString staff;     // who served the line (the commission employees' names)
};

struct Receipt
{
    using Pair = QPair<QString, QString>;

    bool found = false;
    QString title;
    QString documentId;
    QString time;
    QString operatorName;
    QString memberId;
    QString memberName;
    QList<ReceiptLine> lines;
    QList<Pair> totals;    // caption, amount
    QList<Pair> payments;  // method, amount
    QString paymentsCaption = QStringLiteral("付款"); // "退回" / "退款" when money goes back
    QList<Pair> after;     // debt, balance, uses left, points: the figures after this document
    QStringList notes;
    // The last line: thanks for a sale, or what the document undid.
    QString closing = QStringLiteral("谢谢惠顾，欢迎再次光临");
    ReceiptSettings shop; // the head (name, address, phone) and the paper

    // tenderedCents ≥ 0: what the customer handed over in cash, for the change.
    static Receipt of(const QString &documentId, qint64 tenderedCents = -1);

private:
    void readSale(qint64 tenderedCents);
    void readPayment();
    void readRefund(const QVariantList &row);
    void readFigures(bool walkIn);
};

#endif
