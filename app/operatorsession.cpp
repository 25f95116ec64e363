#include "operatorsession.h"

OperatorSession &operatorSession()
{
    static OperatorSession s;
    return s;
}
