// The generated scene-graph sample holds what its users rely on: a shared leaf, nested
// transforms, every kind of light, transparent objects and a camera with screen polygons; and it
// reads back to the same bytes.
#include "QrTestFixture.h"
#include "TestFiles.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrLight.h"
#include "QrNode.h"
#include "QrStream.h"
#include "QrTriShape.h"

#include "Files.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{

class GenSceneGraphTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        m_path = testfiles::DataDir() + "/Data/Engine/scenegraph.qrf";
        m_stream = std::make_unique<QrStream>();
        ASSERT_TRUE(m_stream->Load(m_path.c_str())) << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
        for (uint32_t i = 0; i < m_stream->GetTopLevelCount(); ++i)
        {
            if (!m_root)
                m_root = QrDynamicCast<QrNode>(m_stream->GetTopLevelAt(i));
            if (!m_camera)
                m_camera = QrDynamicCast<QrCamera>(m_stream->GetTopLevelAt(i));
        }
        ASSERT_TRUE(m_root && m_camera);
    }

    void TearDown() override
    {
        m_root = nullptr;
        m_camera = nullptr;
        m_stream.reset();
        QrEngineTest::TearDown();
    }

    template <class T> T* Find(const char* name) { return QrDynamicCast<T>(m_root->GetObjectByName(name)); }

    std::string m_path;
    std::unique_ptr<QrStream> m_stream;
    QrPointer<QrNode> m_root;
    QrPointer<QrCamera> m_camera;
};

bool HasEnabledBlend(QrAVObject* object)
{
    for (QrProperty* property : object->GetPropertyList())
        if (auto* alpha = QrDynamicCast<QrAlphaProperty>(property))
            return alpha->m_enabled != 0;
    return false;
}

} // namespace

TEST_F(GenSceneGraphTest, TheTreeSharesALeafUnderNestedTransforms)
{
    auto* post = Find<QrTriShape>("Post");
    ASSERT_NE(post, nullptr);
    EXPECT_EQ(post->GetInstanceCount(), 4u);

    // The crate sits five levels down, under turned, tilted and scaled nodes.
    auto* box = Find<QrTriShape>("Crate Box");
    ASSERT_NE(box, nullptr);
    m_root->UpdateAllInstances();
    const QrAVInstance* world = box->GetCurrentInstance();
    EXPECT_FLOAT_EQ(world->m_worldScale, 0.6f);
    EXPECT_FALSE(world->m_worldRotate.IsEqual(QrMatrix3(1, 0, 0, 0, 1, 0, 0, 0, 1)));
    EXPECT_LT(world->m_worldTranslate.z, -8.0f);
    int depth = 0;
    for (QrNode* parent = box->GetParent(); parent; parent = parent->GetParent())
        ++depth;
    EXPECT_EQ(depth, 5);
}

TEST_F(GenSceneGraphTest, EveryKindOfLightLightsTheScene)
{
    std::set<uint32_t> kinds;
    for (QrLight* light : m_root->GetLights())
        kinds.insert(light->GetType());
    EXPECT_EQ(kinds, (std::set<uint32_t>{QrLight::kAmbient, QrLight::kDirectional, QrLight::kPoint, QrLight::kSpot}));
}

TEST_F(GenSceneGraphTest, WaterAndFloatAreTransparent)
{
    auto* water = Find<QrTriShape>("Water");
    auto* glass = Find<QrTriShape>("Glass Float");
    ASSERT_TRUE(water && glass);
    EXPECT_TRUE(HasEnabledBlend(water));
    EXPECT_TRUE(HasEnabledBlend(glass));
    EXPECT_FALSE(HasEnabledBlend(Find<QrTriShape>("Planks")));
}

TEST_F(GenSceneGraphTest, TheCameraDrawsTheTreeWithScreenPolygons)
{
    EXPECT_EQ(m_camera->GetSceneRoot(), m_root.Get());
    EXPECT_EQ(m_camera->GetScreenPolygonCount(), 2u);
    EXPECT_EQ(m_camera->GetParent(), nullptr);
}

TEST_F(GenSceneGraphTest, SavingWhatWasLoadedGivesTheSameBytes)
{
    std::vector<uint8_t> file;
    ASSERT_TRUE(plat::ReadFile(m_path, file));
    QrStream saver;
    for (uint32_t i = 0; i < m_stream->GetTopLevelCount(); ++i)
        saver.InsertTopLevelObject(m_stream->GetTopLevelAt(i));
    std::vector<uint8_t> again;
    ASSERT_TRUE(saver.SaveToMemory(again));
    EXPECT_EQ(again, file);
}
