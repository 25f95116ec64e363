#ifndef RECEIPTSETTINGS_H
#define RECEIPTSETTINGS_H

#include <QString>

// What every receipt of the shop carries and how it is printed, kept in the
// shop's own file (table dianpushezhi) so that every desk prints the same.
struct ReceiptSettings
{
    QString shopName;
    QString address;
    QString phone;
    QString paper = QStringLiteral("80mm"); // 58mm / 80mm / A4
    bool autoPrint = false;                 // 结账后自动打印
    // Shop rules kept beside them: bonus (赠送) paid out as cash by 退储值, and
    // how few uses left put a package on the 套餐将用完 reminder.
    bool bonusRefundable = false;
    int packageLowUses = 1;

    static ReceiptSettings load();
    // One transaction with its log row; false (and *error) when nothing was saved.
    // Letting bonus be paid out needs the settings right.
    bool save(const QString &operatorName, QString *error) const;
};

#endif
