#pragma once
// Engine images for framework tests without a renderer: the creation hook makes plain images,
// and one stand-in renderer on the engine's list refuses file names that contain "missing",
// as a renderer refuses a file it cannot read.

#include "QrImage.h"
#include "QrTestFixture.h"

#include "RecordingRender.h"

class FrameworkImageTest : public QrEngineTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Images the hook has made since set-up.
    static uint32_t MadeCount();

    QrPointer<RecordingRender> m_render;
};
