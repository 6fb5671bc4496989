// The kitchen-sink sample as its users meet it: loaded with every class registered and drawn
// through its own camera and display into a recording renderer. Each kind of geometry in the
// tree reaches the renderer once per object with its active counts, every screen polygon is
// drawn, lights go on around the draws they light and are all off afterwards, the display's
// stacks come back empty, and a second frame repeats the first call for call. Damaged copies
// fail to load, or load and save again, without leaving anything behind.
#include "AnimationTestFixture.h"
#include "SceneRun.h"
#include "StreamTestHelpers.h"
#include "TestFiles.h"

#include "RecordingRender.h"
#include "gen/GenKitchenSink.h"

#include "QrAction.h"
#include "QrAutoNormalParticles.h"
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrEnvMappedTriShape.h"
#include "QrLight.h"
#include "QrNode.h"
#include "QrParticles.h"
#include "QrProperty.h"
#include "QrStream.h"
#include "QrTriShape.h"
#include "QrTriStrip.h"
#include "QrTriangles.h"

#include "Files.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace
{

// Also keeps which light each enable or disable was for (the log line names no light), and
// where in the log it was.
class LightNamingRender : public RecordingRender
{
public:
    struct LightCall
    {
        std::string name;
        uint32_t enable;
        size_t line;
    };

    void UpdateLight(const QrLight* light, uint32_t enable) override
    {
        RecordingRender::UpdateLight(light, enable);
        m_lightCalls.push_back({light && light->GetName() ? light->GetName() : "", enable, GetLog().size() - 1});
    }

    // The lights on at a line of the log.
    std::set<std::string> LightsOnAt(size_t line) const
    {
        std::set<std::string> on;
        for (const LightCall& call : m_lightCalls)
        {
            if (call.line > line)
                break;
            if (call.enable)
                on.insert(call.name);
            else
                on.erase(call.name);
        }
        return on;
    }

    std::vector<LightCall> m_lightCalls;

protected:
    ~LightNamingRender() override = default;
};

class QrKitchenSinkTest : public QrAnimationTest
{
protected:
    void SetUp() override
    {
        QrAnimationTest::SetUp();
        m_stream = std::make_unique<QrStream>();
        const std::string path = testfiles::DataDir() + "/" + gen::kKitchenSinkFile;
        ASSERT_TRUE(m_stream->Load(path.c_str())) << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
        for (uint32_t i = 0; i < m_stream->GetTopLevelCount() && !m_camera; ++i)
            m_camera = QrDynamicCast<QrCamera>(m_stream->GetTopLevelAt(i));
        ASSERT_NE(m_camera, nullptr);
        QrAction::RemoveAll(); // the file's flip-book started running; frames do not step it
        m_root = QrDynamicCast<QrNode>(m_camera->GetSceneRoot());
        m_display = m_camera->GetDisplay();
        ASSERT_TRUE(m_root && m_display);

        m_render = new LightNamingRender;
        m_render->SetLogQueries(false);
        m_display->SetRenderer(m_render.Get());
        m_render->ClearLog(); // the defaults sent when the display took the renderer
        m_root->UpdateAllInstances();
        m_camera->UpdateAllInstances();
    }

    void TearDown() override
    {
        if (m_display)
            m_display->SetRenderer(nullptr);
        m_render = nullptr;
        m_display = nullptr;
        m_root = nullptr;
        m_camera = nullptr;
        m_stream.reset();
        QrAction::RemoveAll();
        QrAnimationTest::TearDown();
    }

    std::vector<std::string> DrawFrame()
    {
        m_render->m_lightCalls.clear();
        m_camera->RenderFrame(0.0f, 0.0f);
        return m_render->TakeLog();
    }

    static std::vector<std::string> CallsNamed(const std::vector<std::string>& log, const std::string& call)
    {
        std::vector<std::string> lines;
        for (const std::string& line : log)
            if (line == call || line.compare(0, call.size() + 1, call + " ") == 0)
                lines.push_back(line);
        return lines;
    }

    // The renderer call each geometry object in the subtree must make once.
    static void ExpectedDraws(QrAVObject* object, std::map<std::string, int>& draws)
    {
        if (QrDynamicCast<QrTriShape>(object)) // environment-mapped shapes too
            ++draws["RenderShape"];
        else if (QrDynamicCast<QrTriangles>(object))
            ++draws["RenderTriangles"];
        else if (QrDynamicCast<QrTriStrip>(object))
            ++draws["RenderTristrips"];
        else if (QrDynamicCast<QrParticles>(object)) // faced particles too
            ++draws["RenderPoints"];
        if (QrNode* node = QrDynamicCast<QrNode>(object))
            for (uint32_t i = 0; i < node->GetChildCount(); ++i)
                if (QrAVObject* child = node->GetChildAt(i))
                    ExpectedDraws(child, draws);
    }

    std::unique_ptr<QrStream> m_stream;
    QrPointer<QrCamera> m_camera;
    QrPointer<QrNode> m_root;
    QrPointer<QrDisplay> m_display;
    QrPointer<LightNamingRender> m_render;
};

bool Contains(const std::string& line, const std::string& part)
{
    return line.find(part) != std::string::npos;
}

} // namespace

TEST_F(QrKitchenSinkTest, EveryGeometryObjectAndScreenPolygonIsDrawnOnce)
{
    const std::vector<std::string> log = DrawFrame();
    std::map<std::string, int> expected;
    ExpectedDraws(m_root.Get(), expected);
    // The sample holds every kind the renderer has a draw for.
    for (const char* call : {"RenderShape", "RenderTriangles", "RenderTristrips", "RenderPoints"})
    {
        EXPECT_GE(expected[call], 1) << call;
        EXPECT_EQ(CallsNamed(log, call).size(), size_t(expected[call])) << call;
    }
    EXPECT_EQ(m_camera->GetScreenPolygonCount(), 3u);
    EXPECT_EQ(CallsNamed(log, "RenderScreenPolygon").size(), 3u);
    EXPECT_EQ(CallsNamed(log, "BeginFrame").size(), 1u);
    EXPECT_EQ(CallsNamed(log, "EndFrame").size(), 1u);
    EXPECT_EQ(log.back(), "EndFrame");
}

TEST_F(QrKitchenSinkTest, DrawsTakeOnlyTheActivePartOfEachObject)
{
    const std::vector<std::string> log = DrawFrame();
    // The cut fan has 4 of 6 triangles active, the ribbon 6 of 8 vertices, the sparks 9 of 12;
    // the fountain's particles wait for its first step.
    const std::vector<std::string> fans = CallsNamed(log, "RenderTriangles");
    ASSERT_EQ(fans.size(), 1u);
    EXPECT_TRUE(Contains(fans[0], "triangles=4 vertices=12 ")) << fans[0];
    const std::vector<std::string> strips = CallsNamed(log, "RenderTristrips");
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_TRUE(Contains(strips[0], "triangles=4 vertices=6 ")) << strips[0];
    std::multiset<std::string> counts;
    for (const std::string& line : CallsNamed(log, "RenderPoints"))
        counts.insert(line.substr(0, line.find(' ', sizeof("RenderPoints count=") - 1)));
    EXPECT_EQ(counts,
              (std::multiset<std::string>{"RenderPoints count=0", "RenderPoints count=9", "RenderPoints count=12"}));
}

TEST_F(QrKitchenSinkTest, ThePropertiesOfTheStyledBoxReachTheRendererBeforeItsDraw)
{
    const std::vector<std::string> log = DrawFrame();
    size_t crate = log.size();
    for (size_t i = 0; i < log.size() && crate == log.size(); ++i)
        if (Contains(log[i], "RenderShape triangles=12 vertices=24 "))
            crate = i;
    ASSERT_LT(crate, log.size()) << "the box was not drawn";
    // Sent since the previous draw, so in force for this one.
    size_t from = crate;
    while (from > 0 && log[from - 1].compare(0, 6, "Render") != 0)
        --from;
    const std::vector<std::string> state(log.begin() + from, log.begin() + crate);
    for (const char* sent :
         {"SetTexture image=file:Images/texture64x32.bmp", "SetWireframe flag=1", "SetFog enabled=1",
          "SetMaterial material=\"hull paint\"", "SetAlphaBlending enabled=1 source=0 destination=1", "SetShade flag=0",
          "SetMultiTexture image=file:Images/tga2_32.tga", "SetTransparentValue value=16711935"})
    {
        bool found = false;
        for (const std::string& line : state)
            found = found || line.compare(0, std::string(sent).size(), sent) == 0;
        EXPECT_TRUE(found) << sent;
    }
}

TEST_F(QrKitchenSinkTest, LightsGoOnForTheDrawsTheyLightAndAreAllOffAfterwards)
{
    const std::vector<std::string> log = DrawFrame();
    // Every ordinary light goes on while the nodes it is attached to are drawn; the projecting
    // lights never reach the renderer's lighting.
    std::set<std::string> enabled;
    for (const LightNamingRender::LightCall& call : m_render->m_lightCalls)
        if (call.enable)
            enabled.insert(call.name);
    EXPECT_EQ(enabled, (std::set<std::string>{"sky", "sun", "lantern", "beam"}));
    // Sky and sun light the whole tree, the lantern the shapes and the animated things, the beam
    // only the special nodes (nothing to draw there): every geometry draw has exactly the first
    // three on.
    size_t draws = 0;
    for (size_t i = 0; i < log.size(); ++i)
    {
        if (log[i].compare(0, 6, "Render") != 0 || log[i].compare(0, 19, "RenderScreenPolygon") == 0)
            continue;
        ++draws;
        EXPECT_EQ(m_render->LightsOnAt(i), (std::set<std::string>{"sky", "sun", "lantern"})) << log[i].substr(0, 40);
    }
    std::map<std::string, int> expected;
    ExpectedDraws(m_root.Get(), expected);
    EXPECT_EQ(draws, size_t(expected["RenderShape"] + expected["RenderTriangles"] + expected["RenderTristrips"] +
                            expected["RenderPoints"]));
    EXPECT_TRUE(m_render->LightsOnAt(log.size()).empty());
}

TEST_F(QrKitchenSinkTest, TheDisplayStacksAreEmptyAfterTheFrame)
{
    DrawFrame();
    EXPECT_EQ(m_display->GetLightTop(), -1);
    for (uint32_t type = 0; type < QrDisplay::kTypeCount; ++type)
    {
        EXPECT_EQ(m_display->GetCurrent(type), QrProperty::GetDefault(type)) << "type " << type;
        EXPECT_EQ(m_display->GetOverrideCount(type), 0u) << "type " << type;
    }
    for (const char* name : {"sky", "sun", "lantern", "beam"})
    {
        auto* light = QrDynamicCast<QrLight>(m_root->GetObjectByName(name));
        ASSERT_NE(light, nullptr) << name;
        EXPECT_EQ(light->GetUseCount(), 0u) << name;
    }
}

TEST_F(QrKitchenSinkTest, LaterFramesRepeatTheFirst)
{
    const std::vector<std::string> first = DrawFrame();
    const std::vector<std::string> second = DrawFrame();
    const std::vector<std::string> third = DrawFrame();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(third, second);
    // The first frame starts from the defaults the display sent when it took the renderer; a
    // later one first sends the defaults of what the frame before left bound (the badge's
    // texture), then repeats the first call for call.
    std::vector<std::string> repeated = second;
    const auto begin = std::find(repeated.begin(), repeated.end(), "BeginFrame");
    ASSERT_NE(begin, repeated.end());
    auto end = begin + 1;
    while (end != repeated.end() && end->compare(0, 3, "Set") == 0)
        ++end;
    EXPECT_EQ(std::vector<std::string>(begin + 1, end), std::vector<std::string>{"SetTexture image=null"});
    repeated.erase(begin + 1, end);
    EXPECT_EQ(repeated, first);
}

TEST_F(QrKitchenSinkTest, DamagedCopiesFailCleanly)
{
    std::vector<uint8_t> valid;
    ASSERT_TRUE(plat::ReadFile(testfiles::DataDir() + "/" + gen::kKitchenSinkFile, valid));
    // What loads is also stepped, updated and drawn; nothing may stay behind either way.
    streamtest::SweepDamage(valid, 150,
                            [&](const std::vector<uint8_t>& bytes, const std::string& what)
                            {
                                const SceneRun run = RunSceneBytes(bytes, {1, 0.5f});
                                if (run.loaded)
                                    EXPECT_EQ(bytes.size(), valid.size()) << what << " loaded";
                                else
                                    EXPECT_FALSE(run.errorContext.empty()) << what;
                                EXPECT_TRUE(run.Clean()) << what << ": " << run.objectsLeft << " objects left";
                                EXPECT_EQ(QrAction::GetActionCount(), 0u) << what;
                            });
}
