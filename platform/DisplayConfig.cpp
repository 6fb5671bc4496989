#include "DisplayConfig.h"

namespace plat
{
namespace
{

const DisplayConfig* g_config = nullptr;

} // namespace

void SetDisplayConfig(const DisplayConfig* config)
{
    g_config = config;
}

const DisplayConfig& CurrentDisplayConfig()
{
    static const DisplayConfig kDefault;
    return g_config ? *g_config : kDefault;
}

} // namespace plat
