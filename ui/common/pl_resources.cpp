#include "ui/common/pl_resources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitParlinoResources()
{
    Q_INIT_RESOURCE(parlino);
}

void PlInitResources()
{
    InitParlinoResources();
}
