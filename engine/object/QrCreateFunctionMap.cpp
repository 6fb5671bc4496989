#include "QrCreateFunctionMap.h"

#include "QrObject.h"

QrCreateFunctionMap& QrCreateFunctionMap::Get()
{
    // Never destroyed: registrations may run from any static initialiser and lookups from
    // static destructors.
    static QrCreateFunctionMap* map = new QrCreateFunctionMap;
    return *map;
}

QrCreateFunction QrCreateFunctionMap::Find(const char* className)
{
    QrCreateFunction f = nullptr;
    if (className == nullptr || !Get().GetAt(className, f))
        return nullptr;
    return f;
}

void QrRegisterCreateFunction(const char* className, QrCreateFunction function)
{
    QrCreateFunctionMap::Get().SetAt(className, function);
}
