#pragma once
// Fixture of the water and splash tests: the sample data as the install root, full detail, a
// seeded shared generator, and a lit stage drawn by the real renderer for golden frames.

#include "QrTestFixture.h"

#include "GoldenImage.h"
#include "HeadlessRenderer.h"

#include "tovAppServices.h"
#include "tovUserProfile.h"

#include "QrLight.h"
#include "QrNode.h"
#include "QrPointer.h"

#include <memory>
#include <string>
#include <vector>

class QrCamera;
class QrLight;
class QrProperty;

class WaterTestFixture : public QrEngineTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The display that reports no 3D acceleration.
    class SoftwareServices : public tovNullAppServices
    {
    public:
        bool IsSoftwareRendering() const override { return true; }
    };

    static QrProperty* FindProperty(QrAVObject* object, uint32_t type);
    // A node lit by a low sun from behind the camera's right and a bluish sky light.
    QrPointer<QrNode> MakeLitRoot();
    // Pictures load only once the renderer exists, as in the game.
    void StartRenderer();
    // One frame through the camera on the lake's sky-blue background.
    golden::RgbImage Draw(QrCamera* camera, float now);

    std::unique_ptr<HeadlessRenderer> m_rig;
    // The lights hold the node they light.
    std::vector<QrPointer<QrLight>> m_lights;
};
