#include "SupResources.h"

#include <QtCore/qglobal.h>

#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerCompiledResources()
{
    Q_INIT_RESOURCE(resources);
}

void supInitResources()
{
    static std::once_flag once;
    std::call_once(once, registerCompiledResources);
}
