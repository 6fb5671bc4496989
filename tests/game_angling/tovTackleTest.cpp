#include "tovTackle.h"

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
    EXPECT_EQ(tackle->GetReelPull(), 1.5f);
    tackle->HookFish();
    EXPECT_EQ(tackle->GetInternalState(), tovTackle::kStateFishOn);
    EXPECT_EQ(tackle->GetState(), tovTackle::kStateFastReel) << "fish-on is never reported";
    tackle->SetFastReel(false);
    EXPECT_EQ(tackle->GetState(), tovTackle::kStateReel);
    tackle->ResetCast();
    EXPECT_EQ(tackle->GetState(), tovTackle::kStateNone);
}

TEST(tovTackle, LineBreaksWearsAndGoesSlack)
{
    uRandom random(5);
    struct Row
    {
        const char* what;
        float tension;
        float lineOut;
        double seconds;
        tovTackle::LineResult result;
    };
    // 10 lb line, 1/60 s steps.
    const Row rows[] = {
        {"steady pull below the line", 6.0f, 0.5f, 30.0, tovTackle::LineResult::Holding},
        {"pull past the line", 10.5f, 0.5f, 5.0, tovTackle::LineResult::Broke},
        {"spool emptied", 2.0f, 1.9f, 0.1, tovTackle::LineResult::Broke},
        {"slack line", 0.0f, 0.5f, 60.0, tovTackle::LineResult::HookPulled},
        {"short slack", 0.1f, 0.5f, 1.9, tovTackle::LineResult::Holding},
        {"a jerk the rod absorbs", 30.0f, 0.5f, 0.03, tovTackle::LineResult::Holding},
    };
    for (const Row& row : rows)
    {
        QrPointer<tovTackle> tackle = NewTackle();
        tackle->SetLureType(1);
        tackle->HookFish();
        tovTackle::LineResult result = tovTackle::LineResult::Holding;
        for (double t = 0.0; t < row.seconds && result == tovTackle::LineResult::Holding; t += 1.0 / 60.0)
            result = tackle->StepLine(row.tension, row.lineOut, 1.0 / 60.0, random);
        EXPECT_EQ(result, row.result) << row.what;
        if (result != tovTackle::LineResult::Holding)
        {
            EXPECT_EQ(tackle->GetState(), tovTackle::kStateNone) << row.what;
        }
    }

    // Wear: a long pull at 75 % of the line lowers what it holds until it parts.
    QrPointer<tovTackle> tackle = NewTackle();
    tackle->SetLureType(1);
    tackle->HookFish();
    tovTackle::LineResult result = tovTackle::LineResult::Holding;
    double t = 0.0;
    for (; t < 600.0 && result == tovTackle::LineResult::Holding; t += 0.1)
        result = tackle->StepLine(7.5f, 0.5f, 0.1, random);
    EXPECT_EQ(result, tovTackle::LineResult::Broke);
    EXPECT_GT(t, 5.0) << "wear takes time";
    tackle->SetLureType(1);
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

} // namespace
