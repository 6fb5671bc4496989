// The flyer moves along the object's own third axis or a direction of its own, turns about the
// second axis by the rounded degree, and leaves everything alone without an object.
#include "qrxObjectFlyer.h"

#include "QrTestFixture.h"

#include "QrNode.h"

#include <cmath>
#include <vector>

namespace
{

class RecordingFlyer : public qrxObjectFlyer
{
public:
    using qrxObjectFlyer::qrxObjectFlyer;
    void Translate(const QrPoint3& delta) override
    {
        m_moves.push_back(delta);
        qrxObjectFlyer::Translate(delta);
    }
    std::vector<QrPoint3> m_moves;
};

void ExpectNear(const QrPoint3& a, const QrPoint3& b)
{
    EXPECT_NEAR(a.x, b.x, 1e-5f);
    EXPECT_NEAR(a.y, b.y, 1e-5f);
    EXPECT_NEAR(a.z, b.z, 1e-5f);
}

using qrxObjectFlyerTest = QrEngineTest;

TEST_F(qrxObjectFlyerTest, MovesFollowTheChosenAxisScaledBySpeedAndTime)
{
    QrPointer<QrNode> boat(new QrNode);
    boat->SetRotate(std::acos(0.0f), 0, 1, 0); // the third axis now points along +x or -x
    boat->UpdateAllInstances();
    const QrPoint3 third = boat->GetCurrentInstance()->m_worldRotate.GetColumn(2);

    RecordingFlyer flyer(boat.Get());
    flyer.m_speedFactor = 3.0f;
    flyer.MoveForward(2.0f, 0.5f);
    ExpectNear(boat->GetTranslate(), third * 3.0f);
    flyer.MoveBackward(2.0f, 0.5f);
    ExpectNear(boat->GetTranslate(), QrPoint3());

    flyer.m_ownAxis = 0;
    flyer.m_direction = QrPoint3(0, 0, 1);
    flyer.MoveForward(1.0f, 1.0f);
    // The direction turns with the object.
    ExpectNear(boat->GetTranslate(), third * 3.0f);
    ExpectNear(boat->GetCurrentInstance()->m_worldTranslate, third * 3.0f);
    EXPECT_EQ(flyer.m_moves.size(), 3u);

    RecordingFlyer idle(nullptr);
    idle.MoveForward(1.0f, 1.0f);
    idle.TurnLeft(1.0f, 1.0f);
    EXPECT_TRUE(idle.m_moves.empty());
}

TEST_F(qrxObjectFlyerTest, TurnsAreAboutTheSecondAxisByTheRoundedDegree)
{
    QrPointer<QrNode> boat(new QrNode);
    boat->UpdateAllInstances();
    qrxObjectFlyer flyer(boat.Get());
    flyer.m_turnFactor = 10.0f;
    flyer.TurnLeft(4.5f, 2.0f); // 90 degrees
    const float angle = 90.0f * 3.1416f / 180.0f;
    const QrMatrix3& r = boat->GetRotate();
    EXPECT_FLOAT_EQ(r.m[0][0], std::cos(angle));
    EXPECT_FLOAT_EQ(r.m[0][2], -std::sin(angle));
    EXPECT_FLOAT_EQ(r.m[2][0], std::sin(angle));
    EXPECT_EQ(boat->GetCurrentInstance()->m_worldRotate, r);
    flyer.TurnRight(4.5f, 2.0f);
    EXPECT_NEAR(boat->GetRotate().m[0][2], 0.0f, 1e-6f);
    EXPECT_NEAR(boat->GetRotate().m[0][0], 1.0f, 1e-6f);
}

} // namespace
