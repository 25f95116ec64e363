#ifndef MEMBERSUMMARY_H
#define MEMBERSUMMARY_H

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What the counter shows of one customer at a moment: the card's row and the
// sums that belong to it, read together in one statement, money in cents. The
// panel, the checkout and the member dialogs read this value instead of
// passing positional strings and reading labels back.
// What the member form edits besides the columns the member list shows, as stored.
struct MemberFormFields
{
    QString birthday;
    QString expiry;     // daoqi_time
    QString password1;
    QString password2;
    QString adviserId;  // guwenrenyuan
    QString remark;
};

struct MemberSummary
{
    QString id;            // empty: no member (not found, or none chosen)
    QString name;
    QString cardType;      // huiyuan.type, the card type's name
    QString birthday;      // as stored, yyyy-MM-dd...
    QString phone;
    QString adviserId;     // guwenrenyuan
    QString adviserName;   // the employee's name, else the stored text
    qint64 balanceCents = 0;   // 卡内余额 (shengyujine)
    qint64 paidInCents = 0;    // 交费金额: card price, top-ups and upgrades, less stored value paid back
    qint64 spentCents = 0;     // 累计消费: every sale of the member
    qint64 debtCents = 0;      // open debts of every source, opening ones included
    double cardPoints = 0;     // huiyuan.jifen
    double points = 0;         // the points ledger's last balance; cardPoints when it has none
    double usesLeft = 0;       // package uses left over all items
    bool walkIn = false;
    // What the panel shows beside the card, read with it by find() and
    // readWithNotes() (notesRead): the booking line and the visit warnings.
    bool notesRead = false;
    int noShows = 0;
    QString nextBooking;   // BookingBook::member's nextText
    QStringList warnings;  // VisitNotes::warnings

    bool found() const { return !id.isEmpty(); }
    // "MM-dd" of the birthday, as the panel shows it.
    QString birthdayShown() const;

    // The member as stored now; found() is false when there is no such member.
    static MemberSummary read(const QString &memberId);
    // read() with the panel's notes, in the same statement.
    static MemberSummary readWithNotes(const QString &memberId);
    // The walk-in customer: everybody who is not a member, with nothing of its own.
    static MemberSummary walkInCustomer();
    // The walk-in customer for "0000", else read().
    static MemberSummary of(const QString &memberId);
    static bool exists(const QString &memberId);
    // The card's expiry date as stored (daoqi_time), empty when it has none.
    static QString cardExpiry(const QString &memberId);
    static std::optional<MemberFormFields> formFields(const QString &memberId);
    // The number after the highest numeric card number (1 for a shop without members).
    static qlonglong nextNumber();
    // The member registered last (the front desk's 添加会员 makes it the current one).
    static QString lastRegistered();
    // The members a front-desk search finds, at most `limit`: a card number names
    // one member; else names and phones that begin with the text; else those
    // that contain it (LIKE wildcards kept).
    static QStringList search(const QString &text, int limit);
    // The same members, each read as readWithNotes() reads it, in one statement.
    static QList<MemberSummary> find(const QString &text, int limit);
};

#endif
