#include "tovIntroIFace.h"

namespace
{
tovIntroIFace* g_instance = nullptr;
} // namespace

tovIntroIFace::tovIntroIFace() : tovSplashIFace({35, 10200, 10000, 8, true})
{
    g_instance = this;
}

tovIntroIFace::~tovIntroIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovIntroIFace* tovIntroIFace::GetInstance()
{
    return g_instance;
}
