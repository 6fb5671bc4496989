// Particle geometry: only the live particles are drawn, bounded and transformed; the point size
// follows the world scale; auto-normal particles face the camera; files of both kinds.

#include "GeometryFamilyTestHelpers.h"
#include "QrMathTestHelpers.h"

#include "QrAutoNormalParticles.h"
#include "QrColorA.h"
#include "QrParticles.h"
#include "QrPick.h"

using namespace familytest;
using geomtest::Load;
using geomtest::RoundTrip;
using geomtest::Save;

namespace
{

const QrPoint3 kPositions[] = {{0, 0, 0}, {1, 0, 0}, {0, 2, 0}, {9, 9, 9}, {-9, -9, -9}};
const QrColorA kColors[] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 1}};

template <class T> QrPointer<T> MakeCloud(uint16_t active)
{
    QrPointer<T> cloud(new T(5, kPositions, nullptr, kColors));
    cloud->SetActiveCount(active);
    // The constructor bounded all five; the live ones bound it from the next update.
    cloud->MarkVerticesChanged();
    return cloud;
}

class QrParticlesTest : public QrEngineTest
{
};

class QrParticlesDrawTest : public DrawTest
{
};

} // namespace

TEST_F(QrParticlesTest, OnlyLiveParticlesAreBoundedAndTransformed)
{
    QrPointer<QrParticles> cloud = MakeCloud<QrParticles>(3);
    cloud->SetTranslate(10, 0, 0);
    cloud->Update(cloud->GetCurrentInstance());
    EXPECT_TRUE(Near(cloud->GetModelBound().GetCenter(), QrPoint3(0.5f, 1, 0)));
    EXPECT_TRUE(Near(cloud->GetWorldBound().GetCenter(), QrPoint3(10.5f, 1, 0)));
    const QrPoint3* world = cloud->GetWorldVertices();
    EXPECT_EQ(world[2], QrPoint3(10, 2, 0));
    EXPECT_NE(world[3], QrPoint3(19, 9, 9));

    // No live particle: a zero model bound.
    QrPointer<QrParticles> empty = MakeCloud<QrParticles>(0);
    empty->Update(empty->GetCurrentInstance());
    EXPECT_EQ(empty->GetModelBound().GetCenter(), QrPoint3::ZERO);
    EXPECT_EQ(empty->GetModelBound().GetRadius(), 0.0f);
}

TEST_F(QrParticlesTest, ACloudHasNoTrianglesToPickNorCollisionData)
{
    QrPointer<QrParticles> cloud = MakeCloud<QrParticles>(3);
    QrPointer<QrParticles> other = MakeCloud<QrParticles>(3);
    cloud->Update(cloud->GetCurrentInstance());
    other->Update(other->GetCurrentInstance());
    QrPick pick;
    pick.m_intersectionLevel = 1;
    EXPECT_FALSE(cloud->FindIntersections(QrPoint3(0.5f, 1, 5), QrPoint3(0, 0, -1), pick, nullptr));
    EXPECT_EQ(pick.GetResultCount(), 0u);
    // Only the bound answers, at level 0.
    pick.m_intersectionLevel = 0;
    cloud->FindIntersections(QrPoint3(0.5f, 1, 5), QrPoint3(0, 0, -1), pick, nullptr);
    EXPECT_EQ(pick.GetResultCount(), 1u);

    QrCollisionRecord a = RecordFor(cloud.Get(), cloud->GetCurrentInstance());
    QrCollisionRecord b = RecordFor(other.Get(), other->GetCurrentInstance());
    EXPECT_FALSE(cloud->TestCollisions(0.0f, a, b));
    EXPECT_EQ(DataOf(cloud->GetCurrentInstance()), nullptr);
}

TEST_F(QrParticlesTest, FilesKeepSizeActiveCountAndGeneratedNormals)
{
    QrPointer<QrParticles> cloud = MakeCloud<QrParticles>(4);
    cloud->SetParticleSize(0.25f);
    QrPointer<QrParticles> loaded = RoundTrip<QrParticles>(cloud.Get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetActiveCount(), 4);
    EXPECT_EQ(loaded->GetParticleSize(), 0.25f);
    cloud->SetActiveCount(3);
    EXPECT_FALSE(cloud->IsEqual(loaded.Get()));
    cloud->SetActiveCount(4);
    cloud->SetParticleSize(0.5f);
    EXPECT_FALSE(cloud->IsEqual(loaded.Get()));

    // Without generated normals, then with the ones a draw made.
    QrPointer<QrAutoNormalParticles> facing = MakeCloud<QrAutoNormalParticles>(2);
    QrPointer<QrAutoNormalParticles> fresh = RoundTrip<QrAutoNormalParticles>(facing.Get());
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->GetGeneratedNormals(), nullptr);
}

TEST_F(QrParticlesDrawTest, LiveParticlesAreDrawnWithThePointSizeInWorldUnits)
{
    QrPointer<QrParticles> cloud = MakeCloud<QrParticles>(3);
    cloud->SetParticleSize(0.5f);
    QrPointer<QrNode> parent(new QrNode);
    parent->SetTranslate(5, 0, 0);
    parent->SetScale(2);
    parent->AttachChild(cloud.Get());
    m_root->AttachChild(parent.Get());

    const std::vector<std::string> names = DrawFrame();
    ASSERT_EQ(m_render->m_calls.size(), 1u);
    const DrawCall& call = m_render->m_calls[0];
    EXPECT_EQ(call.kind, "RenderPoints");
    EXPECT_EQ(call.count, 3);
    EXPECT_EQ(call.pointSize, 1.0f);
    ASSERT_EQ(call.vertices.size(), 3u);
    EXPECT_EQ(call.vertices[2], QrPoint3(5, 4, 0));
    EXPECT_EQ(call.normalArray, nullptr);
    EXPECT_EQ(call.colors, cloud->GetColors());
    EXPECT_EQ(call.bound, cloud->GetWorldBound());
    // Points take no model transform.
    EXPECT_EQ(std::find(names.begin(), names.end(), "SetWorldTransform"), names.end());
    EXPECT_EQ(CallBefore(names, "RenderPoints"), "SetClipPlanes");

    // Moved particles and a new live count reach the next frame.
    cloud->GetVertices()[0] = QrPoint3(0, 0, 1);
    cloud->SetActiveCount(9);
    cloud->MarkVerticesChanged();
    DrawFrame();
    ASSERT_EQ(m_render->m_calls.size(), 1u);
    EXPECT_EQ(m_render->m_calls[0].count, 5) << "never more than the vertices";
    EXPECT_EQ(m_render->m_calls[0].vertices[0], QrPoint3(5, 0, 2));

    cloud->SetActiveCount(0);
    cloud->MarkVerticesChanged();
    DrawFrame();
    ASSERT_EQ(m_render->m_calls.size(), 1u);
    EXPECT_EQ(m_render->m_calls[0].count, 0);
}

TEST_F(QrParticlesDrawTest, AutoNormalsPointFromEachLiveParticleToTheCamera)
{
    const QrPoint3 positions[] = {{5, 0, 0}, {6, 8, 0}, {2, 0, 0}, {7, 7, 7}};
    QrPointer<QrAutoNormalParticles> cloud(new QrAutoNormalParticles(4, positions, nullptr, nullptr));
    cloud->SetActiveCount(3);
    m_root->AttachChild(cloud.Get());

    DrawFrame();
    ASSERT_EQ(m_render->m_calls.size(), 1u);
    const QrPoint3* normals = cloud->GetGeneratedNormals();
    ASSERT_NE(normals, nullptr);
    EXPECT_EQ(m_render->m_calls[0].normalArray, normals);
    EXPECT_TRUE(Near(normals[0], QrPoint3(-1, 0, 0)));
    EXPECT_TRUE(Near(normals[1], QrPoint3(-0.6f, -0.8f, 0)));
    EXPECT_TRUE(Near(normals[2], QrPoint3(-1, 0, 0)));
    EXPECT_EQ(normals[3], QrPoint3::ZERO) << "not live";

    // The camera moves onto particle 2: its normal is zero; the others follow the camera.
    MoveCamera(2, 0, 0);
    DrawFrame();
    ASSERT_EQ(m_render->m_calls.size(), 1u);
    EXPECT_EQ(normals, cloud->GetGeneratedNormals()) << "made once";
    EXPECT_TRUE(Near(normals[1], QrPoint3(-4, -8, 0) / std::sqrt(80.0f)));
    EXPECT_EQ(normals[2], QrPoint3::ZERO);

    // A file keeps the normals of the last draw.
    QrPointer<QrAutoNormalParticles> loaded = RoundTrip<QrAutoNormalParticles>(cloud.Get());
    ASSERT_TRUE(loaded);
    ASSERT_NE(loaded->GetGeneratedNormals(), nullptr);
    EXPECT_EQ(loaded->GetGeneratedNormals()[1], normals[1]);
}
