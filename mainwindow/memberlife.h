#ifndef MEMBERLIFE_H
#define MEMBERLIFE_H

#include "mainpage.h"

class FrontDesk;

// A member's life in the shop, in the main window: the visit notes (顾客档案,
// F10 or the member panel's button) and the warnings they carry in the member
// panel, the card upgrade, the top-up rules, package expiry, points redemption
// and the numbered vouchers.
class MemberLife : public MainPage
{
    Q_OBJECT
public:
    MemberLife(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl, FrontDesk *desk);
    void setup();
    // 顾客档案 of the current member (F10).
    void openVisitNotes();

private:
    // The current member's warnings from the visit notes, in the member panel.
    void showMemberWarnings();
    void openCardUpgrade();
    void openTopUpRules();
    void openPackageExpiry();
    void openPointsRedemption();
    void openVouchers();

    FrontDesk *m_desk;
};

#endif
