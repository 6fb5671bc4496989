#include "tovAngler.h"

#include "WaterTestFixture.h"

#include "Qr3dsAnimationNode.h"
#include "QrMaterialProperty.h"
#include "qrxGraphSearcher.h"
#include "tovBoat.h"
#include "tovWorldClasses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{

const QrMatrix3 kSquare(1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f);

class tovAnglerTest : public WaterTestFixture
{
protected:
    void SetUp() override
    {
        // Boats of earlier tests leave the shared boat parts behind; counting starts without them.
        tovBoat::ReleaseStatics();
        WaterTestFixture::SetUp();
        RegisterGameWorldClasses();
    }
    void TearDown() override
    {
        tovAngler::ReleaseSharedClips();
        tovBoat::ReleaseStatics();
        WaterTestFixture::TearDown();
    }

    static QrAVObject* Find(QrNode* root, const char* name)
    {
        qrxGraphSearcher searcher;
        return QrDynamicCast<QrAVObject>(searcher.Find(root, name));
    }
    // The colour the named part is drawn with.
    static QrPoint3 Drawn(QrNode* root, const char* part)
    {
        QrAVObject* node = Find(root, part);
        auto* material =
            node ? static_cast<QrMaterialProperty*>(FindProperty(node, QrMaterialProperty::kType)) : nullptr;
        return material ? material->m_diffuse : QrPoint3(-1.0f, -1.0f, -1.0f);
    }
    static float HipHeight(tovAngler* angler, double now)
    {
        angler->Update(now, 0.1);
        QrAVObject* hips = Find(angler, "Hips");
        return hips ? hips->GetTranslate().y : -1.0f;
    }
};

TEST_F(tovAnglerTest, BothFiguresLoadWithEveryMove)
{
    for (int32_t gender : {0, 1})
    {
        QrPointer<tovAngler> angler(new tovAngler(0, gender, -1));
        EXPECT_EQ(angler->GetGender(), gender);
        ASSERT_NE(Find(angler.Get(), "Cap"), nullptr);
        ASSERT_NE(Find(angler.Get(), "Vest"), nullptr);
        EXPECT_EQ(Find(angler.Get(), "Ponytail") != nullptr, gender == 1);
        EXPECT_GT(angler->GetTimingCount(), 0u);
        for (int32_t g = 0; g < tovAngler::kGestureCount; ++g)
            EXPECT_EQ(angler->GetGestureTrackCount(g), 9u) << gender << " " << tovAngler::kGestureNodes[g];
    }
}

TEST_F(tovAnglerTest, AppearanceColoursEveryPartAndKeepsNegativeChoices)
{
    QrPointer<tovAngler> angler(new tovAngler(0, 0, -1));
    struct Row
    {
        int32_t look, colour1, colour2;
        int32_t wantLook, want1, want2;
    };
    // Colours alone change the figure (the look screen repaints with the look unchanged);
    // negative ones keep, and choices past the table wrap into it.
    const Row rows[] = {
        {0, 2, -1, 0, 2, 0}, {0, -1, 3, 0, 2, 3}, {1, -1, -1, 1, 2, 3}, {-1, 1, 1, 1, 1, 1}, {6, 0, 5, 6, 0, 5},
    };
    for (const Row& row : rows)
    {
        angler->SetAppearance(row.look, row.colour1, row.colour2);
        EXPECT_EQ(angler->GetLook(), row.wantLook);
        EXPECT_EQ(angler->GetColour1(), row.want1);
        EXPECT_EQ(angler->GetColour2(), row.want2);
        EXPECT_EQ(Drawn(angler.Get(), "Shirt"), angler->GetShirtColour());
        EXPECT_EQ(Drawn(angler.Get(), "Cap"), angler->GetCapColour());
        EXPECT_EQ(Drawn(angler.Get(), "Vest"), angler->GetVestColour());
        EXPECT_EQ(Drawn(angler.Get(), "Skin"), angler->GetSkinColour());
    }
    // 6 and 5 wrap onto 2 and 1.
    QrPointer<tovAngler> other(new tovAngler(2, 0, -1));
    other->SetAppearance(2, 0, 1);
    EXPECT_EQ(angler->GetVestColour(), other->GetVestColour());
    EXPECT_EQ(angler->GetCapColour(), other->GetCapColour());
    EXPECT_NE(angler->GetCapColour(), QrPoint3(0.78f, 0.12f, 0.1f));
}

TEST_F(tovAnglerTest, PosesFollowTheBoatItRides)
{
    QrPointer<tovBoat> boat(new tovBoat(0.0f));
    boat->SetPaintScheme(0);
    QrPointer<tovAngler> angler(new tovAngler(3, 1, -1));
    angler->SetBoat(boat.Get());
    boat->SetAnglerNode(angler.Get());
    // The boat's paint scheme is the look.
    EXPECT_EQ(angler->GetLook(), 0);
    const float seated = HipHeight(angler.Get(), 0.1);

    // Seated with the motor off the shoulders stay square to the boat; at the wheel they follow it.
    boat->IncreaseSteering(0.5f);
    EXPECT_FLOAT_EQ(angler->GetDriveLevel(), boat->GetSteering());
    QrAVObject* shoulders = Find(angler.Get(), "Shoulders");
    ASSERT_NE(shoulders, nullptr);
    EXPECT_EQ(shoulders->GetRotate(), kSquare);
    angler->StartToDriving();
    EXPECT_EQ(angler->GetPose(), tovAngler::kPoseDriving);
    boat->DecreaseSteering(1.0f);
    EXPECT_NE(shoulders->GetRotate(), kSquare);
    EXPECT_EQ(Find(angler.Get(), "Rod")->GetAppCulled(), 1);

    angler->StartFromDriving();
    EXPECT_EQ(angler->GetPose(), tovAngler::kPoseStanding);
    EXPECT_EQ(shoulders->GetRotate(), kSquare);
    EXPECT_EQ(Find(angler.Get(), "Rod")->GetAppCulled(), 0);
    const float standing = HipHeight(angler.Get(), 0.2);
    EXPECT_GT(standing, seated + 1.0f);

    // Trolling: the boat's motor goes down with the move and runs only once in the water.
    angler->LowerTrollingMotor();
    EXPECT_EQ(angler->GetPose(), tovAngler::kPoseTrolling);
    double now = 0.2;
    for (int i = 0; i < 38; ++i)
        angler->Update(now += 0.1, 0.1);
    EXPECT_LT(angler->GetTrollingDeploy(), 1.0f);
    for (int i = 0; i < 3; ++i)
        angler->Update(now += 0.1, 0.1);
    EXPECT_EQ(angler->GetTrollingDeploy(), 1.0f);
    angler->RaiseTrollingMotor();
    for (int i = 0; i < 41; ++i)
        angler->Update(now += 0.1, 0.1);
    EXPECT_EQ(angler->GetTrollingDeploy(), 0.0f);
    EXPECT_EQ(angler->GetPose(), tovAngler::kPoseStanding);

    angler->SitDown();
    EXPECT_FLOAT_EQ(HipHeight(angler.Get(), now + 0.1), seated);
    boat->SetAnglerNode(nullptr);
}

// Fishing, the figure stands and holds the rod out the way it cast, whichever way that is: the
// line leaves the tip it shows. At the wheel the rod is stowed and has no tip.
TEST_F(tovAnglerTest, TheFigureStandsAndFacesItsCast)
{
    QrPointer<tovAngler> angler(new tovAngler(0, 0, -1));
    const float seated = HipHeight(angler.Get(), 0.1);
    QrPoint3 tip;
    angler->StartToDriving();
    angler->UpdateAllInstances();
    EXPECT_FALSE(angler->GetRodTip(tip));
    double now = 0.2;
    for (float bearing : {0.0f, 90.0f, -135.0f})
    {
        angler->StartFromDriving();
        angler->Cast(bearing);
        for (const bool reeling : {false, true})
        {
            if (reeling)
                angler->Reel();
            EXPECT_GT(HipHeight(angler.Get(), now += 0.1), seated + 1.0f)
                << bearing << (reeling ? " reeling" : " casting");
            angler->UpdateAllInstances();
            ASSERT_TRUE(angler->GetRodTip(tip));
            const QrPoint3 hips = Find(angler.Get(), "Hips")->GetCurrentInstance()->m_worldTranslate;
            float off = std::atan2(tip.x - hips.x, tip.z - hips.z) * 57.29578f - bearing;
            off = std::remainder(off, 360.0f);
            EXPECT_LT(std::fabs(off), 45.0f) << bearing << (reeling ? " reeling" : " casting");
        }
    }
}

TEST_F(tovAnglerTest, AMoveStartsFromItsFirstKeyWhenever)
{
    QrPointer<tovAngler> angler(new tovAngler(0, 0, -1));
    QrAVObject* arm = Find(angler.Get(), "ArmR");
    ASSERT_NE(arm, nullptr);
    std::vector<QrMatrix3> swings;
    for (double start : {3.3, 8.9})
    {
        angler->Update(start, 0.1);
        angler->StartFromDriving();
        angler->Cast(0.0f);
        angler->Update(start + 0.25, 0.25);
        swings.push_back(arm->GetRotate());
    }
    EXPECT_EQ(swings[0], swings[1]);
}

TEST_F(tovAnglerTest, HostileValuesStayInRange)
{
    QrPointer<tovAngler> angler(new tovAngler(-7, 9, -3));
    EXPECT_EQ(angler->GetGender(), 1);
    angler->SetDriveLevel(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(angler->GetDriveLevel(), 0.0f);
    angler->SetDriveLevel(40.0f);
    EXPECT_EQ(angler->GetDriveLevel(), 1.0f);
    // The largest look wraps onto the last colours of the table, the smallest choice onto the first.
    angler->SetAppearance(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(), 3);
    QrPointer<tovAngler> last(new tovAngler(3, 1, -1));
    EXPECT_EQ(angler->GetVestColour(), last->GetVestColour());
    EXPECT_EQ(angler->GetSkinColour(), last->GetSkinColour());
    EXPECT_EQ(angler->GetColour1(), 0);
    angler->Update(1.0, std::numeric_limits<double>::infinity());
    EXPECT_EQ(angler->GetTrollingDeploy(), 0.0f);
}

} // namespace
