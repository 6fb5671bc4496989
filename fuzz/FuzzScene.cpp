// One scene file per call: loaded, stepped, updated and drawn, then released. Anything left
// alive or on the animation list afterwards is a finding.
#include "SceneRun.h"

#include "QrEngineAnimationClasses.h"
#include "QrEngineCoreClasses.h"
#include "QrProperty.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    RegisterEngineCoreClasses();
    RegisterEngineAnimationClasses();
    // Default properties live until exit; made before anything is counted.
    QrProperty::CreateDefaults();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const SceneRun run = RunSceneBytes(std::vector<uint8_t>(data, data + size));
    if (!run.Clean())
    {
        std::fprintf(stderr, "%lld engine objects and %lld animated objects left behind (%s)\n",
                     static_cast<long long>(run.objectsLeft), static_cast<long long>(run.timedObjectsLeft),
                     run.loaded ? "loaded" : run.errorContext.c_str());
        std::abort();
    }
    return 0;
}
