#include "operatorsession.h"

#include "ctrluiclass.h"
#include "operatorstore.h"

OperatorSession &operatorSession()
{
    static OperatorSession s;
    return s;
}

bool atWorkMayChangeSettings(QWidget *parent)
{
    if (OperatorStore::holdsSettingsRight(operatorSession().loginName))
        return true;
    ctrlUiClass::showInfo(OperatorStore::noRightText(), parent);
    return false;
}
