#include "tovTackle.h"
#include "tovAnglerRig.h"
#include "tovFishSpecies.h"

#include "QrPoint3.h"
#include "qrxVLineStrip.h"

#include "uRandom.h"

#include <gtest/gtest.h>

namespace
{

QrPointer<tovTackle> NewTackle()
{
    return QrPointer<tovTackle>(new tovTackle);
}

TEST(tovTackle, LineTypesAsATable)
{
    struct Row
    {
        int32_t type;
        float strength;
        float visibility;
    };
    const Row rows[] = {
        {0, 5, 0.8f * (0.7f + 0.3f * 5 / 40)},    {4, 40, 0.8f},
        {5, 10, 0.6f * (0.7f + 0.3f * 10 / 40)},  {9, 28, 0.6f * (0.7f + 0.3f * 28 / 40)},
        {10, 10, 0.2f * (0.7f + 0.3f * 10 / 40)}, {13, 17, 0.2f * (0.7f + 0.3f * 17 / 40)},
        {14, 4, 0.5f * (0.7f + 0.3f * 4 / 40)},   {21, 20, 0.5f * (0.7f + 0.3f * 20 / 40)},
    };
    QrPointer<tovTackle> tackle = NewTackle();
    QrPointer<tovLure> lure(new tovLure("lure.qrf", 2));
    tackle->SetLure(lure.Get());
    for (const Row& row : rows)
    {
        tackle->SetLureType(row.type);
        EXPECT_EQ(tackle->GetLineType(), row.type);
        EXPECT_EQ(tackle->GetLineStrength(), row.strength) << row.type;
        EXPECT_NEAR(tackle->GetLineVisibility(), row.visibility, 1e-6f) << row.type;
        EXPECT_EQ(lure->GetLineVisibility(), tackle->GetLineVisibility()) << "the lure learns the line";
        EXPECT_LE(tackle->GetDrag(), row.strength) << "drag never beyond the line";
    }
    const float strengths[] = {5, 10, 20, 30, 40, 10, 12, 14, 24, 28, 10, 12, 14, 17, 4, 6, 8, 10, 12, 14, 17, 20};
    for (int32_t t = 0; t < tovTackle::kLineTypeCount; ++t)
        EXPECT_EQ(tovTackle::StrengthOfType(t), strengths[t]);
    tackle->SetLureType(22);
    tackle->SetLureType(-1);
    EXPECT_EQ(tackle->GetLineType(), 21) << "a type outside the table changes nothing";
}

TEST(tovTackle, DragStepsWithinTheLine)
{
    QrPointer<tovTackle> tackle = NewTackle();
    tackle->SetLureType(2); // 20 lb
    struct Row
    {
        float asked;
        float set;
    };
    const Row rows[] = {{3.2f, 3.0f}, {3.3f, 3.5f}, {0.0f, 0.5f}, {-4.0f, 0.5f}, {25.0f, 20.0f}, {NAN, 0.5f}};
    for (const Row& row : rows)
    {
        tackle->SetDrag(row.asked);
        EXPECT_EQ(tackle->GetDrag(), row.set) << row.asked;
    }
    tackle->SetDrag(19.5f);
    tackle->IncreaseDrag();
    tackle->IncreaseDrag();
    EXPECT_EQ(tackle->GetDrag(), 20.0f);
    tackle->SetLureType(14); // 4 lb line pulls the drag down with it
    EXPECT_EQ(tackle->GetDrag(), 4.0f);
}

TEST(tovTackle, StatesAndFastReel)
{
    QrPointer<tovTackle> tackle = NewTackle();
    EXPECT_EQ(tackle->GetState(), tovTackle::kStateNone);
    tackle->StartCast();
    EXPECT_EQ(tackle->GetState(), tovTackle::kStateCastFlight);
    tackle->Splashdown();
    EXPECT_EQ(tackle->GetState(), tovTackle::kStateReel);
    tackle->SetFastReel(true);
    EXPECT_EQ(tackle->GetState(), tovTackle::kStateFastReel);
    tackle->HookFish();
    EXPECT_EQ(tackle->GetInternalState(), tovTackle::kStateFishOn);
    EXPECT_EQ(tackle->GetState(), tovTackle::kStateFastReel) << "fish-on is never reported";
    tackle->SetFastReel(false);
    EXPECT_EQ(tackle->GetState(), tovTackle::kStateReel);
    tackle->ResetCast();
    EXPECT_EQ(tackle->GetState(), tovTackle::kStateNone);
}

TEST(tovTackle, FightsLandOrAreLostAsDragAndLinePredict)
{
    struct Row
    {
        const char* what;
        int32_t species;
        float pounds;
        int32_t lineType;
        float drag;
        bool reeling;
        tovFishFight::Outcome outcome;
    };
    const Row rows[] = {
        {"bass on a sensible drag", kLargemouthBass, 4.0f, 2, 3.0f, true, tovFishFight::kLanded},
        {"big bass, light drag, long run", kLargemouthBass, 6.0f, 16, 2.0f, true, tovFishFight::kLanded},
        {"heavy bass, 8 lb line, drag at half", kLargemouthBass, 9.0f, 16, 4.0f, true, tovFishFight::kLanded},
        {"heavy bass, 8 lb line, drag locked", kLargemouthBass, 9.0f, 16, 8.0f, true, tovFishFight::kLineBroke},
        {"heavy bass, 40 lb line, drag locked", kLargemouthBass, 9.0f, 4, 40.0f, true, tovFishFight::kLanded},
        {"panfish, reel stopped: slack line", kBluegill, 0.3f, 1, 5.0f, false, tovFishFight::kHookPulled},
        {"panfish reeled in", kBluegill, 0.3f, 1, 5.0f, true, tovFishFight::kLanded},
        {"pike on a loose drag runs out the spool", kNorthernPike, 14.0f, 2, 0.5f, true, tovFishFight::kSpoolEmpty},
    };
    for (const Row& row : rows)
    {
        uRandom random(11);
        QrPointer<tovTackle> tackle = NewTackle();
        tackle->SetLureType(row.lineType);
        tackle->SetDrag(row.drag);
        tackle->HookFish();
        tackle->SetReeling(row.reeling);
        tovFishFight fight;
        fight.Start(row.species, row.pounds, 0.5f, random);
        tovFishFight::Outcome outcome = tovFishFight::kGoing;
        for (int step = 0; step < 30 * 600 && outcome == tovFishFight::kGoing; ++step)
            outcome = tackle->StepFight(fight, 1.0 / 30.0, random);
        EXPECT_EQ(outcome, row.outcome) << row.what;
        EXPECT_EQ(tackle->GetState(), tovTackle::kStateNone) << row.what << ": the lure is back at the rod";
    }
}

TEST(tovTackle, FightWearsTheLineUntilNewLine)
{
    uRandom random(3);
    QrPointer<tovTackle> tackle = NewTackle();
    tackle->SetLureType(16); // 8 lb
    tackle->SetDrag(8.0f);
    tackle->HookFish();
    tovFishFight fight;
    fight.Start(kLargemouthBass, 7.0f, 0.5f, random);
    for (int step = 0; step < 30 && tackle->GetInternalState() == tovTackle::kStateFishOn; ++step)
        tackle->StepFight(fight, 1.0 / 30.0, random);
    EXPECT_GT(tackle->GetLineWear(), 0.0f);
    EXPECT_LT(tackle->GetBreakingTension(), 8.0f);
    tackle->SetLureType(16);
    EXPECT_EQ(tackle->GetLineWear(), 0.0f) << "new line, no wear";
}

TEST(tovTackle, LureKeepsPostureAndAttraction)
{
    QrPointer<tovLure> lure(new tovLure("crank.qrf", 3));
    EXPECT_EQ(lure->GetAttraction().wave, 1.0f);
    lure->SetPosture(QrPoint3(0, 0.01f, 0), QrPoint3(0, -0.5f, 0));
    EXPECT_FLOAT_EQ(lure->GetSinkVelocity().y, 2.0f);
    EXPECT_EQ(lure->GetRestOffset().y, -0.5f);
    lure->SetAttractionValues(60.0f, 0.5f, 0.25f, 7);
    EXPECT_EQ(lure->GetAttraction().speciesRow, 7);
    EXPECT_EQ(lure->GetAttraction().temperature, 60.0f);
}

TEST(tovTackle, RigReplacesTheLureOnItsTackle)
{
    QrPointer<tovAnglerRig> rig(new tovAnglerRig(0, 0, 0, -1, false, nullptr));
    rig->GetTackle()->SetLureType(12);
    EXPECT_EQ(rig->GetTackleObject().Get(), nullptr);
    rig->SetLureModel("spinner.qrf", 1);
    QrPointer<tovLure> first = rig->GetTackleObject();
    ASSERT_NE(first.Get(), nullptr);
    EXPECT_EQ(first->GetModelFile(), "spinner.qrf");
    EXPECT_EQ(first->GetModelRow(), 1);
    EXPECT_EQ(first->GetLineVisibility(), rig->GetTackle()->GetLineVisibility());
    rig->SetLureModel("spoon.qrf", 3);
    EXPECT_NE(rig->GetTackleObject().Get(), first.Get());
    EXPECT_EQ(first->GetRefCount(), 1u) << "the old lure is let go";
}

} // namespace

// The drawn line is split where it crosses the water: the pieces above go to holder 0, those
// below to holder 1, joined at the surface; a sagging line can dip under and come up again.
TEST(tovTackle, TheLineSplitsAtTheSurface)
{
    struct Row
    {
        const char* what;
        float tipY, endY, sag;
        int32_t crossings;
    };
    const Row rows[] = {
        {"all above", 1.0f, 0.5f, 0.0f, 0},
        {"into the water", 1.0f, -1.0f, 0.0f, 1},
        {"dips under and comes up", 0.2f, 0.2f, 1.0f, 2},
        {"all below", -0.2f, -1.0f, 0.0f, 0},
    };
    QrPointer<tovTackle> tackle = new tovTackle;
    tackle->SetLinePointCount({0.2f, 0.4f, 0.3f, 0.3f});
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        const QrPoint3 tip(0.0f, row.tipY, 0.0f), end(7.0f, row.endY, 0.0f);
        tackle->PlaceLine(tip, end, 0.0f, row.sag, false);
        qrxVLineStrip* above = tackle->GetLineHolder(0);
        qrxVLineStrip* below = tackle->GetLineHolder(1);
        // Every piece on its own side, and the pieces cover the line from the tip to the end
        // without a gap along x.
        float covered = 0.0f;
        int32_t surfacePoints = 0;
        for (qrxVLineStrip* holder : {above, below})
        {
            const QrPoint3* p = holder->GetPoints();
            for (uint16_t i = 0; i < holder->GetPointCount(); ++i)
            {
                EXPECT_TRUE(holder == above ? p[i].y >= 0.0f : p[i].y <= 0.0f) << i;
                surfacePoints += p[i].y == 0.0f ? 1 : 0;
                if (i % 2 == 1)
                    covered += p[i].x - p[i - 1].x;
            }
            EXPECT_EQ(holder->GetColors()[0].a, 1.0f);
        }
        EXPECT_NEAR(covered, 7.0f, 1e-5f);
        // Each crossing ends a piece on one side and starts one on the other.
        EXPECT_EQ(surfacePoints, 2 * row.crossings);
        EXPECT_EQ(above->GetPointCount() + below->GetPointCount(), 2 * (tovTackle::kLineNodes - 1 + row.crossings));
    }
    tackle->PlaceLine(QrPoint3(0, 1, 0), QrPoint3(1, -1, 0), 0.0f, 0.0f, true);
    EXPECT_EQ(tackle->GetLineHolder(0)->GetPointCount() + tackle->GetLineHolder(1)->GetPointCount(), 0);

    // From above the surface the part under it is not drawn.
    tackle->SetLineUnderwater(false);
    EXPECT_EQ(tackle->GetLineHolder(1)->GetAppCulled(), 1);
    EXPECT_EQ(tackle->GetLineHolder(0)->GetAppCulled(), 0);
    tackle->SetLineUnderwater(true);
    EXPECT_EQ(tackle->GetLineHolder(1)->GetAppCulled(), 0);
}
