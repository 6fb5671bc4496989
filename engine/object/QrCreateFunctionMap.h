#pragma once
// The class registry: class name -> create function, the scene-file loader's only factory.
// Made on first registration; each library fills it through its Register...Classes function.

#include "QrRTTI.h"
#include "QrTStringMap.h"

class QrCreateFunctionMap : public QrTStringMap<QrCreateFunction>
{
public:
    // The program-wide map, made on first use.
    static QrCreateFunctionMap& Get();
    // Null when no class of that name is registered.
    static QrCreateFunction Find(const char* className);
};
