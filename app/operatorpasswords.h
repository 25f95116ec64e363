#ifndef OPERATORPASSWORDS_H
#define OPERATORPASSWORDS_H

#include "operatorstore.h"

#include <QString>

// The password every new shop starts with (printed in the manual); nobody may
// keep it or choose it again.
constexpr const char *kDefaultAdminPassword = OperatorStore::kDefaultPassword;
constexpr int kMinPasswordLength = 6;
// Longer than anyone types; a pasted page is refused rather than hashed.
constexpr int kMaxPasswordLength = 64;

// Why a new password cannot be used ("" when it can): empty or only blanks,
// shorter than six or longer than 64 characters, the default password, or the
// repetition differs.
QString newPasswordProblem(const QString &password, const QString &repeat);

// Stores the password of one operator in the new form, with a log row by the
// operator at work, in one transaction. False (and *error set to the whole
// sentence for the cashier) when the operator's row was not changed.
bool storeOperatorPassword(const QString &name, const QString &password, const QString &logText,
                           QString *error);

using OperatorStore::defaultAdminPasswordInUse;
using OperatorStore::isLastSettingsOperator;
QString keepOneSettingsOperatorText();

#endif
