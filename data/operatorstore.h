#ifndef OPERATORSTORE_H
#define OPERATORSTORE_H

#include <QString>
#include <QStringList>

// The operators and their rights as the shop's own rows hold them, read with
// bound values. A right is looked up here at the moment of the action, not
// taken from what the login saw: another desk may have taken it away since, and
// a page or a key that reached the action proves nothing.
namespace OperatorStore {

// The password every new shop starts with (printed in the manual): it opens
// the shop once, to choose a new one, and authorises nothing.
extern const char kDefaultPassword[];

// The refusal for want of the settings right, word for word as the navigation
// has always said it.
QString noRightText();

// Active (not disabled) and holding the settings right.
bool holdsSettingsRight(const QString &name);
// For use inside an operation's transaction: unless the operator holds the
// settings right, the open transaction fails with noRightText(). Returns
// whether they hold it.
bool requireSettingsRight(const QString &name);

// May allow money going back out (refunds, voids) and the deletion of a held
// bill: holds the settings right, and the password stored for them is neither
// blank nor the default.
bool mayAuthorize(const QString &name);
// A typed password that authorises nothing: empty, only blanks, or the default.
bool isWeakPassword(const QString &typed);

bool exists(const QString &name);
// The stored form of the operator's password; empty when there is none.
QString storedPassword(const QString &name);
// password, name, zuidizekou, qiandanjine, the five rights and jinyong of one
// operator, as texts; empty when the name matches no row or more than one.
QStringList loginRow(const QString &name);
// Whether "admin" still opens with the default password.
bool defaultAdminPasswordInUse();
// Whether the operator, as stored, is the last one who can log in and open the
// settings, so that disabling or removing them would lock the shop out.
bool isLastSettingsOperator(const QString &name);

} // namespace OperatorStore

#endif
