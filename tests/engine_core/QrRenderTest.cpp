#include "QrRender.h"
#include "QrImage.h"
#include "QrPointer.h"
#include "QrTestFixture.h"
#include "RecordingRender.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace
{

class QrRenderTest : public QrEngineTest
{
protected:
    QrPointer<RecordingRender> m_recorder = new RecordingRender(320, 200);
    QrRender* m_render = m_recorder.Get();
};

// The bodies a renderer inherits when it does not override a slot.
TEST_F(QrRenderTest, DefaultBodiesAnswerNothingAvailable)
{
    EXPECT_EQ(m_render->QrRender::SetPropertyState(nullptr), 0x80000000u);

    uint32_t total = 111;
    uint32_t available = 222;
    EXPECT_FALSE(m_render->QrRender::GetTextureMemory(&total, &available));
    EXPECT_EQ(total, 111u);
    EXPECT_EQ(available, 222u);

    uint32_t stats[5] = {1, 2, 3, 4, 5};
    EXPECT_FALSE(m_render->QrRender::GetTextureStatistics(&stats[0], &stats[1], &stats[2], &stats[3], &stats[4]));
    EXPECT_EQ(std::vector<uint32_t>(stats, stats + 5), (std::vector<uint32_t>{1, 2, 3, 4, 5}));

    EXPECT_EQ(m_render->QrRender::GetTextureStatus(), 0u);
}


TEST_F(QrRenderTest, DestroyedRendererLeavesTheImageRendererList)
{
    const uint32_t before = QrImage::GetRendererCount();
    QrPointer<QrRender> doomed = new RecordingRender;
    QrImage::AddRenderer(m_render, 0);
    QrImage::AddRenderer(doomed.Get(), 0);
    QrImage::AddRenderer(doomed.Get(), 1);
    ASSERT_EQ(QrImage::GetRendererCount(), before + 3);

    doomed = nullptr;
    EXPECT_EQ(QrImage::GetRendererCount(), before + 1) << "both ids of the destroyed renderer go, the other stays";

    // The survivor's own pair is still there to be removed.
    QrImage::RemoveRenderer(m_render, 0);
    EXPECT_EQ(QrImage::GetRendererCount(), before);
}

} // namespace
