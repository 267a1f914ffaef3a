#include "app/OutOfMemory.h"

#include <QCoreApplication>

QString OutOfMemoryReason()
{
    return QCoreApplication::translate("OutOfMemory", "memory ran out");
}
