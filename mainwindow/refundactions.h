#ifndef REFUNDACTIONS_H
#define REFUNDACTIONS_H

#include "mainpage.h"

#include <QString>

class FrontDesk;

// The buttons that give money back (退储值, 退套餐, 作废消费单, F12) and print
// a document's receipt (打印), on the front desk and the statistics page.
class RefundActions : public MainPage
{
    Q_OBJECT
public:
    RefundActions(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl, FrontDesk *desk);
    void setup();
    // 作废消费单 of a sale, from whichever list showed it; true when voided.
    bool openVoidSale(const QString &saleId);

private:
    bool refundMember(QString *memberId);
    void refundBalance();
    void refundPackage();
    void showRefundDone(const QString &what, const QString &documentId, const QString &memberId);
    void voidChosenOrLatestSale();

    FrontDesk *m_desk;
};

#endif
