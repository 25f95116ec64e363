#ifndef SETTINGSRIGHT_H
#define SETTINGSRIGHT_H

#include <QString>

// The settings right of an operator as the shop's rows hold it at the moment
// of the action (active, 系统设置 = 是), not as the login saw it: the writers of
// upgrades, top-up tiers, package dates and rewards ask here.
bool holdsSettingsRight(const QString &operatorName);

#endif
