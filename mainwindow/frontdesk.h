#ifndef FRONTDESK_H
#define FRONTDESK_H

#include "mainpage.h"
#include "membersummary.h"

#include <QString>
#include <QStringList>

// The front desk: choosing the current member (search, picker, walk-in), the
// member panel and its totals, 添加消费 with held bills, the repayment of a
// debt, the counter's keys and its feedback line in the status bar.
class FrontDesk : public MainPage
{
    Q_OBJECT
public:
    FrontDesk(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl);
    void setup();

    // The member in the panel as read from the store (the walk-in customer is
    // a value of its own); its ID is empty while no member is chosen.
    const MemberSummary &member() const { return m_member; }
    QString currentMemberId() const { return m_member.id; }
    // "会员选择": the member becomes the current one; panel, lists and totals follow.
    void selectMember(const MemberSummary &member);
    // The same for a list row whose first column is the member's ID.
    void selectMember(const QStringList &record);
    void selectWalkIn();
    void clearMember();
    // "收款" of the repayment's payment dialog (`from`, when it sent it): books
    // the repayment in one transaction; the dialog stays open when it failed.
    void repayDebt(const QStringList &reply, QObject *from);
    // After the member's rows changed elsewhere: totals and the panel read again.
    void memberDataChanged();
    // Re-reads the current member's row into the panel.
    void reloadCurrentMember();

    // The checkout for the current customer, taking up a held bill or a booking.
    void runCheckout(const QString &heldId, const QString &bookingId = QString());
    // The counter's feedback line in the status bar (document, balance, uses,
    // debt); the document becomes the one F9 prints.
    void showCounterStatus(const QString &text, const QString &documentId = QString());
    // How often the panel's member has been read again (reloadCurrentMember).
    // Taken once a document is written and handed to counterFeedback, it lets
    // the feedback use the figures the refresh after the document read,
    // instead of reading the member a second time.
    quint64 memberReads() const { return m_memberReads; }
    static constexpr quint64 kNoRead = ~quint64(0);
    // "单号 … 余额 … 剩余次数 … 欠款 …" of a member after an operation on it:
    // the panel's figures when it is the current member read again since
    // `readsAfterDocument`, else read now.
    QString counterFeedback(const QString &what, const QString &documentId, const QString &memberId,
                            quint64 readsAfterDocument = kNoRead) const;
    // The latest document of this desk.
    QString lastDocument() const { return m_lastDocument; }

signals:
    // The panel shows another member, or the same one read again. While it is
    // emitted, member().notesRead tells that the booking line and the visit
    // warnings were read with the member; later they may be out of date.
    void memberChanged();
    // A checkout of a booking ended (committed, held or given up).
    void bookingCheckedOut();

private:
    void search();
    void checkout();
    void takeUpHeldBill();
    void askRepayment();
    void fillMemberPanel(const MemberSummary &member);
    void announceMember();
    void showMemberTotals();
    MemberSummary checkoutCustomer() const;
    void setupCounterKeys();

    MemberSummary m_member;
    quint64 m_memberReads = 0;
    QString m_lastDocument; // the latest document of this desk, for F9
};

#endif
