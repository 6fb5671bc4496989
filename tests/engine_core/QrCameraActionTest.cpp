#include "QrCameraTestHelpers.h"

#include "QrAction.h"
#include "QrCamera.h"
#include "QrCameraAction.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "QrStream.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace camtest;

namespace
{

using Names = std::vector<std::string>;

class QrCameraActionTest : public CameraTest
{
protected:
    void SetUp() override
    {
        CameraTest::SetUp();
        m_display = MakeDisplay();
        m_camera = new QrCamera;
        m_camera->SetDisplay(m_display.Get());
    }

    void TearDown() override
    {
        m_camera = nullptr;
        m_display = nullptr;
        ms_extra = nullptr;
        CameraTest::TearDown();
    }

    QrPointer<QrTestCameraAction> Attach(const char* name)
    {
        QrPointer<QrTestCameraAction> action(new QrTestCameraAction);
        action->SetName(name);
        m_camera->AttachObject(action.Get());
        return action;
    }

    QrPointer<QrDisplay> m_display;
    QrPointer<QrCamera> m_camera;
    // For scripts, which are plain functions.
    static QrPointer<QrTestCameraAction> ms_extra;
};

QrPointer<QrTestCameraAction> QrCameraActionTest::ms_extra;

TEST_F(QrCameraActionTest, CameraIsSetOnlyDuringItsUpdateOncePerFrame)
{
    QrPointer<QrTestCameraAction> action = Attach("a");
    EXPECT_EQ(action->GetCamera(), nullptr);
    m_camera->RenderFrame(3.0f, 0.5f);
    EXPECT_EQ(action->m_seen, (std::vector<QrCamera*>{m_camera.Get()}));
    EXPECT_EQ(action->GetCamera(), nullptr);
    EXPECT_DOUBLE_EQ(action->m_lastTime, 3.0);
    EXPECT_DOUBLE_EQ(action->m_lastElapsed, 0.5);

    // The program-wide step does not run it: it is not on that list.
    QrAction::UpdateAll(4.0, 1.0);
    EXPECT_EQ(action->m_seen.size(), 1u);
    m_camera->RenderFrame(4.0f, 1.0f);
    EXPECT_EQ(action->m_seen.size(), 2u);
}

TEST_F(QrCameraActionTest, NewestRunsFirstAndEachActionOnce)
{
    QrPointer<QrTestCameraAction> a = Attach("a");
    QrPointer<QrTestCameraAction> b = Attach("b");
    m_camera->AttachObject(a.Get());
    m_camera->AttachObject(nullptr);
    m_camera->RenderFrame(0.0f, 0.0f);
    EXPECT_EQ(QrTestCameraAction::ms_log, (Names{"b", "a"}));
    EXPECT_EQ(m_camera->GetActions().GetCount(), 2u);
}

TEST_F(QrCameraActionTest, ActionsChangingTheListDuringTheFrame)
{
    // b detaches itself and attaches a newcomer; a still runs this frame, the newcomer next.
    QrPointer<QrTestCameraAction> a = Attach("a");
    QrPointer<QrTestCameraAction> b = Attach("b");
    ms_extra = new QrTestCameraAction;
    ms_extra->SetName("new");
    b->m_script = [](QrTestCameraAction* self)
    {
        self->GetCamera()->DetachObject(self);
        self->GetCamera()->AttachObject(ms_extra.Get());
    };
    m_camera->RenderFrame(0.0f, 0.0f);
    EXPECT_EQ(QrTestCameraAction::ms_log, (Names{"b", "a"}));
    EXPECT_EQ(b->GetCamera(), nullptr) << "cleared after the call, though it left the list";
    QrTestCameraAction::ms_log.clear();
    m_camera->RenderFrame(0.0f, 0.0f);
    EXPECT_EQ(QrTestCameraAction::ms_log, (Names{"new", "a"}));
    EXPECT_FALSE(m_camera->DetachObject(b.Get()));
}

TEST_F(QrCameraActionTest, AnActionMayDropTheLastReferenceToItsCamera)
{
    QrPointer<QrTestCameraAction> a = Attach("a");
    QrPointer<QrTestCameraAction> b = Attach("b");
    // The only reference left is the one b drops; the camera lives on to the end of its frame.
    QrCamera* camera = m_camera.Get();
    camera->IncRefCount();
    m_camera = nullptr;
    b->m_script = [](QrTestCameraAction* self) { self->GetCamera()->DecRefCount(); };
    camera->RenderFrame(0.0f, 0.0f);
    EXPECT_EQ(QrTestCameraAction::ms_log, (Names{"b", "a"}));
    EXPECT_EQ(a->m_seen.size(), 1u);
    EXPECT_EQ(a->GetCamera(), nullptr);
    EXPECT_EQ(b->GetCamera(), nullptr);
    EXPECT_EQ(a->GetRefCount(), 1u) << "the camera is gone and released its actions";
}

TEST_F(QrCameraActionTest, ADestroyedCameraLeavesNoPointerBehind)
{
    QrPointer<QrTestCameraAction> action = Attach("a");
    action->SetCamera(m_camera.Get());
    m_camera = nullptr;
    EXPECT_EQ(action->GetCamera(), nullptr);
    EXPECT_EQ(action->GetRefCount(), 1u) << "the camera released its action";
}

TEST_F(QrCameraActionTest, RoundTripThroughTheCamera)
{
    QrPointer<QrTestCameraAction> a = Attach("a");
    QrPointer<QrTestCameraAction> b = Attach("b");
    const std::vector<uint8_t> bytes = Save({m_camera.Get()});
    std::vector<QrPointer<QrObject>> loaded = Load(bytes);
    ASSERT_EQ(loaded.size(), 1u) << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
    auto* camera = QrDynamicCast<QrCamera>(loaded[0].Get());
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(QrAction::GetActionCount(), 0u) << "loading does not start them on the program-wide list";
    ASSERT_EQ(camera->GetActions().GetCount(), 2u);
    EXPECT_STREQ((*camera->GetActions().begin())->GetName(), "b");
    for (QrCameraAction* action : camera->GetActions())
        EXPECT_EQ(action->GetCamera(), nullptr);
    EXPECT_TRUE(camera->IsEqual(m_camera.Get()));

    QrPointer<QrDisplay> display = MakeDisplay();
    camera->SetDisplay(display.Get());
    camera->RenderFrame(0.0f, 0.0f);
    EXPECT_EQ(QrTestCameraAction::ms_log, (Names{"b", "a"}));
}

TEST_F(QrCameraActionTest, ACameraNamedInTheFileIsCheckedButNotKept)
{
    // Saved from inside its update, the action names its camera.
    QrPointer<QrTestCameraAction> action = Attach("a");
    static std::vector<uint8_t> s_bytes;
    s_bytes.clear();
    action->m_script = [](QrTestCameraAction* self) { s_bytes = Save({self}); };
    m_camera->RenderFrame(0.0f, 0.0f);
    ASSERT_FALSE(s_bytes.empty());

    QrStream stream;
    ASSERT_TRUE(stream.LoadFromMemory(s_bytes.data(), s_bytes.size()))
        << QrStream::LastErrorMessage << " " << QrStream::LastErrorContext;
    QrCameraAction* loaded = nullptr;
    QrCamera* camera = nullptr;
    for (uint32_t i = 0; i < stream.GetLoadedCount(); ++i)
    {
        if (auto* a = QrDynamicCast<QrCameraAction>(stream.GetLoadedAt(i)))
            loaded = a;
        if (auto* c = QrDynamicCast<QrCamera>(stream.GetLoadedAt(i)))
            camera = c;
    }
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(loaded->GetCamera(), nullptr);
    EXPECT_TRUE(camera->GetActions().Contains(loaded));
    EXPECT_EQ(QrAction::GetActionCount(), 0u);
    s_bytes.clear();
}

TEST_F(QrCameraActionTest, ACameraSlotNamingAnotherClassFailsTheLoad)
{
    // A top-level action whose camera slot names a node.
    QrPointer<QrTestCameraAction> action(new QrTestCameraAction);
    QrPointer<QrNode> node(new QrNode);
    const std::vector<uint8_t> bytes = Save({action.Get(), node.Get()});
    QrStream stream;
    ASSERT_TRUE(stream.LoadFromMemory(bytes.data(), bytes.size()));
    ASSERT_EQ(stream.GetLoadedCount(), 2u);
    const uint32_t nodeId = stream.GetLoadedLinkID(1);
    // The action's record ends with its camera id 0, just before the node's record.
    const std::string nodeClass = "QrNode";
    auto at = std::search(bytes.begin(), bytes.end(), nodeClass.begin(), nodeClass.end());
    ASSERT_NE(at, bytes.end());
    // Back over the class name's length, the top-level marker and its length.
    const std::string marker = "Top Level Object";
    const size_t cameraSlot = static_cast<size_t>(at - bytes.begin()) - 4 - marker.size() - 4 - 4;
    std::vector<uint8_t> patched = bytes;
    uint32_t slot = 1;
    std::memcpy(&slot, &patched[cameraSlot], 4);
    ASSERT_EQ(slot, 0u);
    std::memcpy(&patched[cameraSlot], &nodeId, 4);
    EXPECT_TRUE(Load(patched).empty());
    EXPECT_EQ(QrStream::LastErrorCode, uint32_t{QrStream::kErrorNotQrf});
}

TEST_F(QrCameraActionTest, EqualityComparesCamerasWithoutEndlessRecursion)
{
    QrPointer<QrTestCameraAction> a(new QrTestCameraAction);
    QrPointer<QrTestCameraAction> b(new QrTestCameraAction);
    EXPECT_TRUE(a->IsEqual(b.Get()));
    a->SetCamera(m_camera.Get());
    EXPECT_FALSE(a->IsEqual(b.Get()));
    EXPECT_FALSE(b->IsEqual(a.Get()));

    // Each camera lists the action that names it: comparing must still end.
    QrPointer<QrCamera> other(new QrCamera);
    m_camera->AttachObject(a.Get());
    other->AttachObject(b.Get());
    b->SetCamera(other.Get());
    EXPECT_TRUE(a->IsEqual(b.Get()));
    other->GetFrustum()[QrCamera::kFar] = 5.0f;
    EXPECT_FALSE(a->IsEqual(b.Get()));
    a->SetCamera(nullptr);
    b->SetCamera(nullptr);
}

} // namespace
