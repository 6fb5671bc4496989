#include "AnimationTestFixture.h"
#include "KeyTestHelpers.h"

#include "QrGravity.h"
#include "QrMeshCollider.h"
#include "QrNode.h"
#include "QrParticleBomb.h"
#include "QrPlanarCollider.h"
#include "QrSphericalCollider.h"

#include <cmath>

namespace
{

class QrForceTest : public QrAnimationTest
{
protected:
    // One Apply on a particle; returns what the force answered.
    struct Particle
    {
        QrPoint3 position;
        QrPoint3 velocity;
        float step = 1.0f;
        bool hit = false;
    };
    static Particle Run(QrForce& force, QrPoint3 position, QrPoint3 velocity, float step = 1.0f, float time = 0.0f)
    {
        Particle p{position, velocity, step, false};
        p.hit = force.Apply(p.position, p.velocity, p.step, time);
        return p;
    }

    // The z = 0 plane, 4 x 4 around the origin.
    static QrPointer<QrPlanarCollider> MakeFloor(float bounce = 1.0f)
    {
        QrPointer<QrPlanarCollider> plane(new QrPlanarCollider);
        plane->m_normal = {0.0f, 0.0f, 1.0f};
        plane->m_heightAxis = {0.0f, 1.0f, 0.0f};
        plane->m_widthAxis = {1.0f, 0.0f, 0.0f};
        plane->m_width = 4.0f;
        plane->m_height = 4.0f;
        plane->m_bounce = bounce;
        return plane;
    }
};

TEST_F(QrForceTest, DirectionalGravityTakesSixteenHundredthsPerSecond)
{
    QrPointer<QrGravity> gravity(new QrGravity);
    gravity->m_direction = {0.0f, 1.0f, 0.0f};
    Particle p = Run(*gravity, {5.0f, 5.0f, 5.0f}, {1.0f, 2.0f, 3.0f});
    EXPECT_FALSE(p.hit);
    EXPECT_EQ(p.velocity, QrPoint3(1.0f, 2.0f - 0.16f, 3.0f));
    EXPECT_EQ(p.position, QrPoint3(5.0f, 5.0f, 5.0f));
    EXPECT_EQ(p.step, 1.0f);

    // Decay weakens it by exp(-decay * (direction . position)).
    gravity->m_decay = 0.5f;
    gravity->m_strength = 2.0f;
    p = Run(*gravity, {0.0f, 2.0f, 0.0f}, {}, 0.5f);
    EXPECT_FLOAT_EQ(p.velocity.y, -std::exp(-1.0f) * 2.0f * 0.5f * 0.16f);
}

TEST_F(QrForceTest, PointGravityPullsTowardsItsPositionAndNotAtIt)
{
    QrPointer<QrGravity> gravity(new QrGravity);
    gravity->m_type = QrGravity::kTypePoint;
    gravity->m_position = {0.0f, 0.0f, 10.0f};
    gravity->m_decay = 0.1f;
    Particle p = Run(*gravity, {0.0f, 0.0f, 0.0f}, {});
    EXPECT_FLOAT_EQ(p.velocity.z, std::exp(-1.0f) * 0.16f);
    EXPECT_EQ(p.velocity.x, 0.0f);
    p = Run(*gravity, {0.0f, 0.0f, 10.0f}, {1.0f, 1.0f, 1.0f});
    EXPECT_EQ(p.velocity, QrPoint3(1.0f, 1.0f, 1.0f));
}

TEST_F(QrForceTest, BombPushesOnlyInsideItsWindow)
{
    QrPointer<QrParticleBomb> bomb(new QrParticleBomb);
    bomb->m_startTime = 2.0f;
    bomb->m_duration = 1.0f;
    bomb->m_strength = 4.0f;
    const QrPoint3 at{0.0f, 3.0f, 0.0f};
    // The step ends before the window opens, or begins after it closed.
    EXPECT_EQ(Run(*bomb, at, {}, 0.5f, 1.5f).velocity, QrPoint3());
    EXPECT_EQ(Run(*bomb, at, {}, 0.5f, 3.5f).velocity, QrPoint3());
    // Half the step inside the window: half the impulse.
    EXPECT_EQ(Run(*bomb, at, {}, 1.0f, 2.5f).velocity, QrPoint3(0.0f, 2.0f, 0.0f));
    EXPECT_EQ(Run(*bomb, at, {}, 1.0f, 3.0f).velocity, QrPoint3(0.0f, 4.0f, 0.0f));
    // At the bomb itself there is no direction to push in.
    EXPECT_EQ(Run(*bomb, bomb->m_position, {}, 1.0f, 3.0f).velocity, QrPoint3());
}

TEST_F(QrForceTest, BombFalloffAndSymmetry)
{
    QrPointer<QrParticleBomb> bomb(new QrParticleBomb);
    bomb->m_duration = 10.0f;
    bomb->m_strength = 1.0f;
    bomb->m_range = 4.0f;
    bomb->m_falloff = QrParticleBomb::kFalloffLinear;
    EXPECT_EQ(Run(*bomb, {0.0f, 0.0f, 4.0f}, {}, 1.0f, 1.0f).velocity, QrPoint3()) << "at the range: factor 0";
    EXPECT_EQ(Run(*bomb, {0.0f, 0.0f, 1.0f}, {}, 1.0f, 1.0f).velocity, QrPoint3(0.0f, 0.0f, 0.75f));
    EXPECT_EQ(Run(*bomb, {0.0f, 0.0f, 4.5f}, {}, 1.0f, 1.0f).velocity, QrPoint3()) << "beyond the range";
    bomb->m_falloff = QrParticleBomb::kFalloffExponential;
    EXPECT_FLOAT_EQ(Run(*bomb, {2.0f, 0.0f, 0.0f}, {}, 1.0f, 1.0f).velocity.x, std::exp(-0.5f));

    // Planar: the distance to the plane through the bomb, pushed away on either side.
    bomb->m_falloff = QrParticleBomb::kFalloffLinear;
    bomb->m_symmetry = QrParticleBomb::kSymmetryPlanar;
    bomb->m_axis = {0.0f, 0.0f, 1.0f};
    EXPECT_EQ(Run(*bomb, {3.0f, 0.0f, -1.0f}, {}, 1.0f, 1.0f).velocity, QrPoint3(0.0f, 0.0f, -0.75f));
    // Cylindrical: away from the axis through the bomb.
    bomb->m_symmetry = QrParticleBomb::kSymmetryCylindrical;
    EXPECT_EQ(Run(*bomb, {0.0f, 2.0f, 3.0f}, {}, 1.0f, 1.0f).velocity, QrPoint3(0.0f, 0.5f, 0.0f));
    EXPECT_EQ(Run(*bomb, {0.0f, 0.0f, 3.0f}, {}, 1.0f, 1.0f).velocity, QrPoint3()) << "on the axis";
}

TEST_F(QrForceTest, BombWithoutRangeNeverMakesNaN)
{
    QrPointer<QrParticleBomb> bomb(new QrParticleBomb);
    bomb->m_duration = 1.0f;
    bomb->m_strength = 1.0f;
    for (uint32_t falloff : {QrParticleBomb::kFalloffLinear, QrParticleBomb::kFalloffExponential})
    {
        bomb->m_falloff = falloff;
        for (uint32_t symmetry : {0u, 1u, 2u})
        {
            bomb->m_symmetry = symmetry;
            EXPECT_EQ(Run(*bomb, {}, {1.0f, 0.0f, 0.0f}, 1.0f, 1.0f).velocity, QrPoint3(1.0f, 0.0f, 0.0f));
        }
    }
}

TEST_F(QrForceTest, SphereStopsAParticleFromOutsideAndMirrorsIt)
{
    QrPointer<QrSphericalCollider> sphere(new QrSphericalCollider);
    sphere->m_bounce = 0.5f;
    const Particle p = Run(*sphere, {0.0f, 0.0f, -5.0f}, {0.0f, 0.0f, 10.0f});
    EXPECT_TRUE(p.hit);
    EXPECT_EQ(p.position, QrPoint3(0.0f, 0.0f, -1.0f));
    EXPECT_FLOAT_EQ(p.step, 0.6f) << "the step is cut to the part after the hit";
    EXPECT_EQ(p.velocity, QrPoint3(0.0f, 0.0f, -5.0f));
    // Moving away, passing beside it, or not reaching it in the step.
    EXPECT_FALSE(Run(*sphere, {0.0f, 0.0f, -5.0f}, {0.0f, 0.0f, -10.0f}).hit);
    EXPECT_FALSE(Run(*sphere, {2.0f, 0.0f, -5.0f}, {0.0f, 0.0f, 10.0f}).hit);
    EXPECT_FALSE(Run(*sphere, {0.0f, 0.0f, -5.0f}, {0.0f, 0.0f, 3.0f}).hit);
}

TEST_F(QrForceTest, SphereReflectsAParticleInsideBackInwards)
{
    QrPointer<QrSphericalCollider> sphere(new QrSphericalCollider);
    sphere->m_center = {1.0f, 1.0f, 1.0f};
    const Particle p = Run(*sphere, {1.0f, 1.0f, 1.0f}, {2.0f, 0.0f, 0.0f});
    EXPECT_TRUE(p.hit);
    EXPECT_EQ(p.position, QrPoint3(2.0f, 1.0f, 1.0f));
    EXPECT_EQ(p.step, 0.5f);
    EXPECT_EQ(p.velocity, QrPoint3(-2.0f, 0.0f, 0.0f));
}

TEST_F(QrForceTest, SphereKeepsARestingParticleOnItsSurface)
{
    QrPointer<QrSphericalCollider> sphere(new QrSphericalCollider);
    sphere->m_radius = 2.0f;
    sphere->m_squaredRadius = 4.0f;
    // Within a thousandth of the surface (2 + 2^-10, exact in floats).
    const float z = 2.0009765625f;
    const Particle p = Run(*sphere, {0.0f, 0.0f, z}, {1.0f, 0.0f, -3.0f}, 0.25f);
    EXPECT_TRUE(p.hit);
    EXPECT_EQ(p.position, QrPoint3(0.0f, 0.0f, z));
    EXPECT_EQ(p.velocity, QrPoint3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(p.step, 0.25f);
    // A path of a thousandth or less is never tested.
    EXPECT_FALSE(Run(*sphere, {0.0f, 0.0f, 3.0f}, {0.0f, 0.0f, -0.001f}).hit);
}

TEST_F(QrForceTest, SphereTestsAgainstItsStoredSquaredRadius)
{
    // Radius 1 for the normal, but the tests see a sphere of radius 2.
    QrPointer<QrSphericalCollider> sphere(new QrSphericalCollider);
    sphere->m_squaredRadius = 4.0f;
    const Particle p = Run(*sphere, {0.0f, 0.0f, -5.0f}, {0.0f, 0.0f, 10.0f});
    EXPECT_TRUE(p.hit);
    EXPECT_EQ(p.position, QrPoint3(0.0f, 0.0f, -2.0f));
    EXPECT_EQ(p.velocity, QrPoint3(0.0f, 0.0f, -70.0f)) << "normal (H - c) / R has length 2";
}

TEST_F(QrForceTest, PlaneBouncesWithinItsRectangle)
{
    QrPointer<QrPlanarCollider> floor = MakeFloor(0.5f);
    Particle p = Run(*floor, {1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, -2.0f});
    EXPECT_TRUE(p.hit);
    EXPECT_EQ(p.position, QrPoint3(1.0f, 1.0f, 0.0f));
    EXPECT_EQ(p.step, 0.5f);
    EXPECT_EQ(p.velocity, QrPoint3(0.0f, 0.0f, 1.0f));
    // A hit exactly at the end of the step leaves no time.
    p = Run(*floor, {0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, -1.0f});
    EXPECT_TRUE(p.hit);
    EXPECT_EQ(p.step, 0.0f);
    // Outside the rectangle (|w|^2 > width^2 / 4, |a| > height / 2) the particle passes.
    EXPECT_FALSE(Run(*floor, {2.5f, 0.0f, 1.0f}, {0.0f, 0.0f, -2.0f}).hit);
    EXPECT_FALSE(Run(*floor, {0.0f, -2.5f, 1.0f}, {0.0f, 0.0f, -2.0f}).hit);
    // Not reached in the step, or moving along the plane.
    EXPECT_FALSE(Run(*floor, {0.0f, 0.0f, 3.0f}, {0.0f, 0.0f, -2.0f}).hit);
    EXPECT_FALSE(Run(*floor, {0.0f, 0.0f, 3.0f}, {5.0f, 0.0f, 0.0f}).hit);
}

TEST_F(QrForceTest, PlaneHitFromBehindTurnsRoundForGood)
{
    QrPointer<QrPlanarCollider> floor = MakeFloor();
    floor->m_distance = -1.0f; // z = 1
    Particle p = Run(*floor, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 4.0f});
    EXPECT_TRUE(p.hit);
    EXPECT_EQ(p.position, QrPoint3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(p.velocity, QrPoint3(0.0f, 0.0f, -4.0f));
    EXPECT_EQ(floor->m_normal, QrPoint3(0.0f, 0.0f, -1.0f));
    EXPECT_EQ(floor->m_distance, 1.0f);
    // The next particle from below meets the front: the plane stays as it is now.
    EXPECT_TRUE(Run(*floor, {0.0f, 0.0f, 0.5f}, {0.0f, 0.0f, 1.0f}).hit);
    EXPECT_EQ(floor->m_normal, QrPoint3(0.0f, 0.0f, -1.0f));
}

TEST_F(QrForceTest, PlaneKeepsARestingParticleAndScalesTheNormalPart)
{
    QrPointer<QrPlanarCollider> floor = MakeFloor(0.25f);
    const Particle p = Run(*floor, {1.0f, 1.0f, 0.0005f}, {1.0f, 0.0f, -4.0f}, 0.5f);
    EXPECT_TRUE(p.hit);
    EXPECT_EQ(p.position, QrPoint3(1.0f, 1.0f, 0.0005f));
    EXPECT_EQ(p.velocity, QrPoint3(1.0f, 0.0f, -3.0f));
    EXPECT_EQ(p.step, 0.5f);
    EXPECT_FALSE(Run(*floor, {3.0f, 1.0f, 0.0005f}, {1.0f, 0.0f, -4.0f}).hit) << "resting beside the rectangle";
}

TEST_F(QrForceTest, MeshColliderLetsEverythingPass)
{
    QrPointer<QrMeshCollider> mesh(new QrMeshCollider);
    const Particle p = Run(*mesh, {0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, -5.0f});
    EXPECT_FALSE(p.hit);
    EXPECT_EQ(p.velocity, QrPoint3(0.0f, 0.0f, -5.0f));
    EXPECT_EQ(p.position, QrPoint3(0.0f, 0.0f, 1.0f));
}

TEST_F(QrForceTest, ClonesCopyEveryFieldAndShareTheMesh)
{
    QrPointer<QrPlanarCollider> floor = MakeFloor(0.3f);
    floor->m_distance = 2.0f;
    floor->m_position = {1.0f, 2.0f, 3.0f};
    QrPointer<QrForce> floorClone = floor->Clone();
    EXPECT_TRUE(floor->IsEqual(floorClone.Get()));
    EXPECT_NE(floorClone.Get(), floor.Get());

    QrPointer<QrNode> shape(new QrNode);
    QrPointer<QrMeshCollider> mesh(new QrMeshCollider);
    mesh->SetMesh(shape.Get());
    mesh->m_bounce = 0.7f;
    QrPointer<QrForce> meshClone = mesh->Clone();
    EXPECT_EQ(static_cast<QrMeshCollider*>(meshClone.Get())->GetMesh(), shape.Get());
    EXPECT_EQ(static_cast<QrMeshCollider*>(meshClone.Get())->m_bounce, 0.7f);
    EXPECT_EQ(shape->GetRefCount(), 3u);

    QrPointer<QrSphericalCollider> sphere(new QrSphericalCollider);
    sphere->m_center = {4.0f, 0.0f, 0.0f};
    QrPointer<QrForce> sphereClone = sphere->Clone();
    EXPECT_EQ(static_cast<QrSphericalCollider*>(sphereClone.Get())->m_center, sphere->m_center);
}

TEST_F(QrForceTest, AForceJoinsOneChainOnly)
{
    QrPointer<QrGravity> a(new QrGravity);
    QrPointer<QrGravity> b(new QrGravity);
    QrForce* forces = nullptr;
    QrForce* colliders = nullptr;
    EXPECT_TRUE(QrForce::PushFront(forces, a.Get()));
    EXPECT_TRUE(QrForce::PushFront(forces, b.Get()));
    EXPECT_FALSE(QrForce::PushFront(forces, a.Get())) << "a second entry would close a loop";
    EXPECT_FALSE(QrForce::PushFront(colliders, b.Get()));
    EXPECT_EQ(QrForce::CountChain(forces), 2u);
    EXPECT_EQ(forces, b.Get());
    EXPECT_EQ(b->GetNext(), a.Get());
    EXPECT_EQ(a->GetRefCount(), 2u);
    QrForce::ReleaseChain(forces);
    EXPECT_EQ(forces, nullptr);
    EXPECT_EQ(a->GetRefCount(), 1u);
    EXPECT_EQ(b->GetNext(), nullptr);
    EXPECT_TRUE(QrForce::PushFront(colliders, a.Get())) << "free again once released";
    QrForce::ReleaseChain(colliders);
}

} // namespace
