// The framework's scene-file classes: each registered one round-trips alone (as made from an
// empty record, and populated), every prefix of a file holding them all fails cleanly, and
// forged counts load safely and are then stepped and drawn as the game would.
#include "FrameworkTestImages.h"

#include "qrxAnimatedTextureProperty.h"
#include "qrxFrameworkClasses.h"
#include "qrxVLineStrip.h"

#include "TestFiles.h"
#include "gen/GenFrameworkModels.h"

#include "QrCamera.h"
#include "QrCreateFunctionMap.h"
#include "QrDisplay.h"
#include "QrExtraData.h"
#include "QrNode.h"
#include "QrStream.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

const QrPoint3 kPoints[6] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}};
const QrColorA kColors[6] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 1}, {1, 0, 1, 0.5f}};

// Writes counts no constructor makes, as a damaged file would hold them.
class ForgedLine : public qrxVLineStrip
{
public:
    ForgedLine(uint16_t points, uint16_t capacity) : qrxVLineStrip(6, nullptr, kPoints, kColors)
    {
        m_pointCount = points;
        m_capacity = capacity;
    }

protected:
    ~ForgedLine() override = default;
};

class qrxFrameworkClassesTest : public FrameworkImageTest
{
protected:
    void SetUp() override
    {
        FrameworkImageTest::SetUp();
        RegisterFrameworkClasses();
    }

    static QrPointer<qrxAnimatedTextureProperty> SkinTexture()
    {
        QrPointer<qrxAnimatedTextureProperty> texture(new qrxAnimatedTextureProperty);
        texture->SetName("skin");
        texture->MakeFrameFormat(0, gen::kBassSkinFrames - 1, 1, 2);
        texture->SetFrames((testfiles::DataDir() + "/" + gen::kBassSkinFile).c_str(), true);
        texture->SetFrameInterval(0.37f);
        texture->SetFrameSkipping(1);
        texture->Update(0.0, 0.8);
        texture->Update(0.0, 0.1);
        return texture;
    }

    // One populated object of every framework class.
    static std::vector<QrPointer<QrObject>> Populated()
    {
        QrPointer<qrxLineStrip> strip(new qrxLineStrip(6, nullptr, kPoints, kColors));
        strip->SetName("leader");
        QrPointer<qrxVLineStrip> line(new qrxVLineStrip(6, kPoints, nullptr, nullptr));
        line->SetPointCount(4);
        line->SetAllColors(QrColorA(0.9f, 0.9f, 0.8f, 1));
        return {QrPointer<QrObject>(SkinTexture()), QrPointer<QrObject>(strip), QrPointer<QrObject>(line)};
    }

    static Bytes Save(const std::vector<QrObject*>& objects)
    {
        QrStream saver;
        for (QrObject* object : objects)
            saver.InsertTopLevelObject(object);
        Bytes bytes;
        EXPECT_TRUE(saver.SaveToMemory(bytes));
        return bytes;
    }

    static void ExpectRoundTrip(QrObject* object)
    {
        const Bytes first = Save({object});
        QrStream loader;
        ASSERT_TRUE(loader.LoadFromMemory(first.data(), first.size())) << QrStream::LastErrorContext;
        ASSERT_EQ(loader.GetTopLevelCount(), 1u);
        QrObject* loaded = loader.GetTopLevelAt(0);
        EXPECT_STREQ(loaded->GetRTTI()->GetName(), object->GetRTTI()->GetName());
        EXPECT_TRUE(object->IsEqual(loaded));
        EXPECT_TRUE(loaded->IsEqual(object));
        EXPECT_EQ(Save({loaded}), first);
    }

    // Steps every animated texture far ahead and draws every line strip of the loaded file.
    static void UpdateAndDraw(QrStream& stream)
    {
        QrPointer<RecordingRender> render(new RecordingRender);
        QrPointer<QrDisplay> display(new QrDisplay);
        display->SetRenderer(render.Get());
        QrPointer<QrCamera> camera(new QrCamera(0.5f, 100.0f));
        camera->SetTranslate(0, 0, 10);
        camera->Update(camera->GetCurrentInstance());
        camera->SetDisplay(display.Get());
        for (uint32_t i = 0; i < stream.GetLoadedCount(); ++i)
        {
            QrObject* object = stream.GetLoadedAt(i);
            if (auto* texture = QrDynamicCast<qrxAnimatedTextureProperty>(object))
            {
                texture->SetFrameSkipping(1);
                texture->Update(0.0, 1e12);
                EXPECT_LT(uint32_t(texture->GetCurrentIndex()), std::max(texture->GetImageCount(), 1u));
            }
            if (auto* strip = QrDynamicCast<qrxLineStrip>(object); strip && !strip->GetParent())
            {
                QrPointer<QrNode> root(new QrNode);
                root->AttachChild(strip);
                root->UpdateAllInstances();
                camera->SetSceneRoot(root.Get());
                camera->RenderFrame(0.0f, 0.0f);
                camera->SetSceneRoot(nullptr);
            }
        }
        camera->SetDisplay(nullptr);
        display->SetRenderer(nullptr);
    }
};

TEST_F(qrxFrameworkClassesTest, EveryFrameworkClassRoundTripsAloneAndEveryPrefixFails)
{
    std::vector<std::string> registered, populated;
    QrCreateFunctionMap::Get().ForEach(
        [&](const char* name, QrCreateFunction)
        {
            if (std::strncmp(name, "qrx", 3) == 0)
                registered.push_back(name);
        });
    const std::vector<QrPointer<QrObject>> objects = Populated();
    std::vector<QrObject*> all;
    for (const QrPointer<QrObject>& object : objects)
    {
        populated.push_back(object->GetRTTI()->GetName());
        all.push_back(object.Get());
        ExpectRoundTrip(object.Get());
    }
    std::sort(populated.begin(), populated.end());
    std::sort(registered.begin(), registered.end());
    ASSERT_EQ(populated, registered) << "a registered class without a populated object";
    for (const std::string& name : registered)
    {
        QrStream empty;
        QrObject* made = nullptr;
        QrCreateFunctionMap::Find(name.c_str())(empty, made);
        QrPointer<QrObject> object(made);
        QrExtraData* record = object->GetExtraData();
        object->RemoveExtraData(record);
        delete record;
        ExpectRoundTrip(object.Get());
    }

    const Bytes whole = Save(all);
    {
        QrStream stream;
        ASSERT_TRUE(stream.LoadFromMemory(whole.data(), whole.size()));
        UpdateAndDraw(stream);
    }
    for (size_t n = 0; n < whole.size(); ++n)
    {
        QrStream stream;
        ASSERT_FALSE(stream.LoadFromMemory(whole.data(), n)) << n;
    }
}

TEST_F(qrxFrameworkClassesTest, ForgedCountsAreRefusedOrKeptInBounds)
{
    // Point counts past the points or past the capacity fail the load.
    for (auto [points, capacity] : {std::pair<int, int>{7, 6}, {5, 4}, {2, 9}})
    {
        QrPointer<ForgedLine> forged(new ForgedLine(uint16_t(points), uint16_t(capacity)));
        const Bytes bytes = Save({forged.Get()});
        QrStream stream;
        EXPECT_FALSE(stream.LoadFromMemory(bytes.data(), bytes.size())) << points << " of " << capacity;
    }

    // A texture claiming more frames than it holds, with a zero interval, is clamped on load;
    // stepping and drawing it stay inside its frames.
    QrPointer<qrxAnimatedTextureProperty> texture = SkinTexture();
    Bytes bytes = Save({texture.Get()});
    const float interval = 0.37f;
    const auto at = std::search(bytes.begin(), bytes.end(), reinterpret_cast<const uint8_t*>(&interval),
                                reinterpret_cast<const uint8_t*>(&interval) + 4);
    ASSERT_NE(at, bytes.end());
    const float zero = 0.0f;
    const int32_t frames = 0x7fffffff;
    std::memcpy(&*at, &zero, 4);
    std::memcpy(&*(at + 9), &frames, 4);
    QrStream stream;
    ASSERT_TRUE(stream.LoadFromMemory(bytes.data(), bytes.size())) << QrStream::LastErrorContext;
    auto* loaded = QrDynamicCast<qrxAnimatedTextureProperty>(stream.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetFrameCount(), gen::kBassSkinFrames);
    EXPECT_GE(loaded->GetFrameInterval(), 0.01f);
    UpdateAndDraw(stream);
}

} // namespace
