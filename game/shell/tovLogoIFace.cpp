#include "tovLogoIFace.h"

namespace
{
tovLogoIFace* g_instance = nullptr;
} // namespace

tovLogoIFace::tovLogoIFace() : tovSplashIFace({37, 10202, 10000, 13, true})
{
    g_instance = this;
}

tovLogoIFace::~tovLogoIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovLogoIFace* tovLogoIFace::GetInstance()
{
    return g_instance;
}
