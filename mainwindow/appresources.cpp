#include "appresources.h"

#include <QtGlobal>

static void initOnce()
{
    Q_INIT_RESOURCE(mochen);
    Q_INIT_RESOURCE(iconfont);
}

void initAppResources()
{
    static bool done = false;
    if (!done) {
        done = true;
        initOnce();
    }
}
