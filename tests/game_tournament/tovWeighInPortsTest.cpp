// The weigh-in's own ports over the game: the local angler's livewell as the weigh-in takes
// fish from it, and no livewell outside a game.

#include "tovWeighInPorts.h"

#include "tovAnglerRig.h"
#include "tovGameSession.h"

#include "QrTestFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

class tovWeighInPortsTest : public QrEngineTest
{
};

TEST_F(tovWeighInPortsTest, TheLocalLivewellIsWeighedPlaceByPlace)
{
    tovWeighInPorts ports;
    EXPECT_TRUE(ports.LivewellWeights().empty());
    EXPECT_EQ(ports.TakeLivewellFish(0), -1);
    {
        auto session = std::make_unique<tovGameSession>();
        QrPointer<tovAnglerRig> rig(new tovAnglerRig(0, 0, 0, 0, true, nullptr));
        session->AddAngler(rig.Get(), true);
        for (int32_t ounces : {40, 25, 61})
            rig->AddToLivewell(3, ounces, 14, 1.0f);
        rig->RemoveFromLivewell(1);
        // Place 1 is empty now: the weights skip it, taking it gives nothing.
        EXPECT_EQ(ports.LivewellWeights(), (std::vector<int32_t>{40, 61}));
        EXPECT_EQ(ports.TakeLivewellFish(1), -1);
        EXPECT_EQ(ports.TakeLivewellFish(2), 61);
        EXPECT_EQ(ports.TakeLivewellFish(2), -1);
        EXPECT_EQ(ports.TakeLivewellFish(6), -1);
        ports.ReleaseLivewellFish(40);
        EXPECT_TRUE(ports.LivewellWeights().empty());
        session->ClearAnglers();
    }
    EXPECT_TRUE(ports.LivewellWeights().empty());
}

} // namespace
