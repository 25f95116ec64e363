#include "settingsright.h"

#include "ledgersql.h"

bool holdsSettingsRight(const QString &operatorName)
{
    return LedgerSql::value(
               QStringLiteral("select 1 from user where name=? and xitongshezhi='是' and ifnull(jinyong,'否')<>'是'"),
               {operatorName})
        .isValid();
}
