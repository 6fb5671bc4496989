// Line strips drawn through the recording renderer: segments from point pairs in world space,
// colours per point, and a variable strip that never draws past its capacity.
#include "qrxLineStrip.h"
#include "qrxVLineStrip.h"

#include "QrTestFixture.h"

#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "RecordingRender.h"

#include <string>
#include <vector>

namespace
{

const QrPoint3 kStripPoints[5] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}};
const QrColorA kRed(1, 0, 0, 1);

class qrxLineStripTest : public QrEngineTest
{
protected:
    void TearDown() override
    {
        m_render = nullptr;
        QrEngineTest::TearDown();
    }

    // The RenderLines calls of one frame of the object under a node moved by (10, 0, 0).
    std::vector<std::string> DrawnLines(QrAVObject* object)
    {
        QrPointer<QrNode> root(new QrNode);
        root->SetTranslate(10, 0, 0);
        root->AttachChild(object);
        root->UpdateAllInstances();
        m_render = new RecordingRender;
        QrPointer<QrDisplay> display(new QrDisplay);
        display->SetRenderer(m_render.Get());
        QrPointer<QrCamera> camera(new QrCamera(0.5f, 100.0f));
        camera->SetTranslate(10, 0, 20);
        camera->Update(camera->GetCurrentInstance());
        camera->LookAt(QrPoint3(10, 0, 0), QrPoint3(0, 1, 0));
        camera->SetSceneRoot(root.Get());
        camera->SetDisplay(display.Get());
        camera->RenderFrame(0.0f, 0.0f);
        camera->SetSceneRoot(nullptr);
        camera->SetDisplay(nullptr);
        display->SetRenderer(nullptr);
        std::vector<std::string> lines;
        for (const std::string& call : m_render->GetLog())
            if (call.rfind("RenderLines", 0) == 0)
                lines.push_back(call.substr(0, call.find(" bound=")));
        return lines;
    }

    QrPointer<RecordingRender> m_render;
};

TEST_F(qrxLineStripTest, PointPairsDrawAsSegmentsInWorldSpace)
{
    QrColorA colors[5] = {kRed, kRed, kRed, kRed, kRed};
    QrPointer<qrxLineStrip> strip(new qrxLineStrip(5, nullptr, kStripPoints, colors));
    strip->SetAllColors(QrColorA(0, 1, 0, 1));
    EXPECT_EQ(
        DrawnLines(strip.Get()),
        (std::vector<std::string>{"RenderLines lines=2 positions=[(10 0 0) (11 0 0) (11 1 0) (10 1 0)] texcoords=null "
                                  "colors=[(0 1 0 1) (0 1 0 1) (0 1 0 1) (0 1 0 1)]"}));

    // Without points the geometry's vertices are drawn; without colours none are sent.
    QrPointer<qrxLineStrip> plain(new qrxLineStrip(2, kStripPoints + 2, nullptr, nullptr));
    EXPECT_EQ(DrawnLines(plain.Get()),
              (std::vector<std::string>{"RenderLines lines=1 positions=[(11 1 0) (10 1 0)] texcoords=null "
                                        "colors=null"}));
}

TEST_F(qrxLineStripTest, VariableStripDrawsUpToItsCapacity)
{
    QrPointer<qrxVLineStrip> line(new qrxVLineStrip(4, nullptr, kStripPoints, nullptr));
    const struct
    {
        uint16_t asked;
        uint16_t kept;
        const char* drawn;
    } cases[] = {
        {2, 2, "RenderLines lines=1 positions=[(10 0 0) (11 0 0)] texcoords=null colors=null"},
        {0, 0, "RenderLines lines=0 positions=[] texcoords=null colors=null"},
        {3, 3, "RenderLines lines=1 positions=[(10 0 0) (11 0 0)] texcoords=null colors=null"},
        {60000, 4, "RenderLines lines=2 positions=[(10 0 0) (11 0 0) (11 1 0) (10 1 0)] texcoords=null colors=null"},
    };
    for (const auto& c : cases)
    {
        line->SetPointCount(c.asked);
        EXPECT_EQ(line->GetPointCount(), c.kept);
        EXPECT_EQ(DrawnLines(line.Get()), (std::vector<std::string>{c.drawn})) << c.asked;
    }
}

} // namespace
