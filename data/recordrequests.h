#ifndef RECORDREQUESTS_H
#define RECORDREQUESTS_H

#include <QString>
#include <QVariant>

class TableRegistry;

// The generic record requests the edit dialogs send: "添加数据" with a
// dbctrlstruct (values in the table's column order) or a dbctrlsqlstruct
// (insert-select), "修改数据" and "删除数据" with a redbctrlstruct. They are
// carried out against the table registry with the bound builders; an add or a
// change of the catalogue, staff, card types or stock leaves its log row. The
// main window and the tests carry them out with this one class.
class RecordRequests
{
public:
    explicit RecordRequests(const TableRegistry &registry);

    // Whether the key is one of the three requests (whatever its payload).
    static bool isRecordRequest(const QString &key);

    struct Outcome
    {
        QString table; // the table the request named, when the registry knows it; else ""
        bool ok = false; // the statement worked
        QString refused; // a refusal to tell the operator (a missing right); "" otherwise
    };
    // Carries the request out; a payload of another kind or a table the
    // registry does not know does nothing (an empty table in the outcome). A
    // request for one of the shop's settings tables needs the operator to hold
    // the settings right now, whichever dialog or key sent it: refused, it
    // fails the asking dialog's transaction, or outside one comes back in
    // `refused`.
    Outcome carryOut(const QString &key, const QVariant &value, const QString &operatorName) const;

private:
    const TableRegistry &m_registry;
};

#endif
