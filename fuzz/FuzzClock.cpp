// One saved game-clock block per input: an accepted block saves a block that is accepted
// again, and a frame's update leaves its time finite.
#include "ByteReader.h"
#include "ByteWriter.h"
#include "Clock.h"
#include "tovGameClock.h"

#include <cmath>
#include <cstdlib>

namespace
{

plat::ManualClock g_time{5'000'000'000ull};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    plat::SetCurrentClock(&g_time);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    plat::ByteReader in(data, size);
    tovGameClock clock;
    if (!clock.Load(in))
        return 0;
    plat::ByteWriter out;
    clock.Save(out);
    plat::ByteReader back(out.Buffer().data(), out.Size());
    tovGameClock again;
    if (!again.Load(back))
        std::abort();
    g_time.AdvanceSeconds(0.033);
    clock.Update();
    if (!std::isfinite(clock.GetGameTime()) || !std::isfinite(clock.GetRemaining()))
        std::abort();
    return 0;
}
