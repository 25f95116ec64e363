#include "settingsright.h"

#include "operatorstore.h"

bool holdsSettingsRight(const QString &operatorName)
{
    return OperatorStore::holdsSettingsRight(operatorName);
}
