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

TEST_F(qrxObjectFlyerTest, MovesFollowTheChosenAxisAndTurnsUseTheRoundedDegree)
{
    QrPointer<QrNode> boat(new QrNode);
    boat->SetRotate(std::acos(0.0f), 0, 1, 0);
    boat->UpdateAllInstances();
    const QrPoint3 third = boat->GetCurrentInstance()->m_worldRotate.GetColumn(2);
    RecordingFlyer flyer(boat.Get());
    flyer.m_speedFactor = 3.0f;
    flyer.MoveForward(2.0f, 0.5f);
    ExpectNear(boat->GetTranslate(), third * 3.0f);
    flyer.MoveBackward(2.0f, 0.5f);
    ExpectNear(boat->GetTranslate(), QrPoint3());
    // Along a direction of the flyer's own, turned with the object.
    flyer.m_ownAxis = 0;
    flyer.m_direction = QrPoint3(0, 0, 1);
    flyer.MoveForward(1.0f, 1.0f);
    ExpectNear(boat->GetCurrentInstance()->m_worldTranslate, third * 3.0f);
    EXPECT_EQ(flyer.m_moves.size(), 3u);

    boat->SetRotate(0.0f, 0, 1, 0);
    flyer.m_turnFactor = 10.0f;
    flyer.TurnLeft(4.5f, 2.0f);
    const float angle = 90.0f * 3.1416f / 180.0f;
    EXPECT_FLOAT_EQ(boat->GetRotate().m[0][2], -std::sin(angle));
    EXPECT_FLOAT_EQ(boat->GetRotate().m[2][0], std::sin(angle));
    EXPECT_EQ(boat->GetCurrentInstance()->m_worldRotate, boat->GetRotate());

    RecordingFlyer idle(nullptr);
    idle.MoveForward(1.0f, 1.0f);
    idle.TurnLeft(1.0f, 1.0f);
    EXPECT_TRUE(idle.m_moves.empty());
}

} // namespace
