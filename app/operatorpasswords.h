#ifndef OPERATORPASSWORDS_H
#define OPERATORPASSWORDS_H

#include <QString>

// The password every new shop starts with (printed in the manual); nobody may
// keep it or choose it again.
extern const char kDefaultAdminPassword[];
constexpr int kMinPasswordLength = 6;

// Why a new password cannot be used ("" when it can): empty, shorter than six
// characters, the default password, or the repetition differs.
QString newPasswordProblem(const QString &password, const QString &repeat);

// Stores the password of one operator in the new form, with a log row by the
// operator at work, in one transaction. False (and *error set) when the
// operator's row was not changed.
bool storeOperatorPassword(const QString &name, const QString &password, const QString &logText,
                           QString *error);

// Whether the "admin" account still opens with the default password (the login
// dialog then shows it as a hint).
bool defaultAdminPasswordInUse();

// Whether the operator, as stored, is the last one who can log in and open the
// settings, so that disabling or removing them would lock the shop out.
bool isLastSettingsOperator(const QString &name);
QString keepOneSettingsOperatorText();

#endif
