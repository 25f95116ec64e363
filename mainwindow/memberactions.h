#ifndef MEMBERACTIONS_H
#define MEMBERACTIONS_H

#include "mainpage.h"

class FrontDesk;
struct MemberSummary;

// The buttons that open the member dialogs, on the front desk and the member
// page: registration with card issue, top-up, package renewal, card types,
// and the deletion of a member.
class MemberActions : public MainPage
{
    Q_OBJECT
public:
    MemberActions(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl, FrontDesk *desk);
    void setup();
    // Card type editor; mode 2 edits the selected row of "会员卡信息".
    void openCardTypeDlg(int mode);
    // Member dialog; mode 2 edits the selected row of "会员管理". True when saved.
    bool openMemberDlg(int mode);

private:
    template <typename Dlg> void openPayment(const MemberSummary &member, const QString &what);
    void openTopUp(const MemberSummary &member);
    void openRenewal(const MemberSummary &member);
    void registerAtDesk();
    void topUpAtDesk();
    void renewAtDesk();
    void topUpChosen();
    void renewChosen();
    void deleteChosen();

    FrontDesk *m_desk;
};

#endif
