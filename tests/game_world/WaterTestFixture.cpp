#include "WaterTestFixture.h"

#include "HeadlessRenderer.h"

#include "qrxCutout.h"
#include "tovInstallSettings.h"

#include "qrxAssetCache.h"
#include "uRandom.h"

#include "TestFiles.h"

#include "QrCamera.h"
#include "QrLight.h"

void WaterTestFixture::SetUp()
{
    // Kept until exit, so made before the fixture counts live objects.
    qrxCutout::CreateSharedProperties();
    QrEngineTest::SetUp();
    SharedRandom().seed(20);
    SetInstallRoot(testfiles::DataDir());
    TheUserProfile().SetDetail(1.0f);
    SetAppServices(nullptr);
}

void WaterTestFixture::TearDown()
{
    // The cache holds the pictures, which the renderer must see go first.
    qrxAssetCache::Get().Clear();
    m_rig.reset();
    m_lights.clear();
    SetAppServices(nullptr);
    SetInstallRoot("");
    QrEngineTest::TearDown();
}

QrProperty* WaterTestFixture::FindProperty(QrAVObject* object, uint32_t type)
{
    for (QrProperty* property : object->GetPropertyList())
        if (property->Type() == type)
            return property;
    return nullptr;
}

QrPointer<QrNode> WaterTestFixture::MakeLitRoot()
{
    QrPointer<QrNode> root(new QrNode);
    QrPointer<QrLight> sun(new QrLight);
    sun->SetType(QrLight::kDirectional);
    QrPoint3 direction(-0.4f, -0.6f, -0.7f);
    direction.Unitize();
    sun->SetLocalDirection(direction);
    sun->SetDiffuseColor(QrPoint3(1.0f, 0.95f, 0.85f));
    QrPointer<QrLight> sky(new QrLight);
    sky->SetType(QrLight::kAmbient);
    sky->SetAmbientColor(QrPoint3(0.45f, 0.5f, 0.6f));
    for (QrLight* light : {sun.Get(), sky.Get()})
    {
        light->UpdateAllInstances();
        light->AttachAffectedNode(root.Get());
        m_lights.emplace_back(light);
    }
    return root;
}

void WaterTestFixture::StartRenderer()
{
    if (!m_rig)
    {
        // Forget the pictures asked for before there was a renderer to make them.
        qrxAssetCache::Get().Clear();
        m_rig = std::make_unique<HeadlessRenderer>();
    }
    ASSERT_TRUE(m_rig->GetRenderer()) << QrD3DRender::GetLastErrorText();
}

golden::RgbImage WaterTestFixture::Draw(QrCamera* camera, float now)
{
    StartRenderer();
    m_rig->DrawFrame(camera, now, QrPoint3(0.62f, 0.74f, 0.86f));
    plat::HeadlessWindowBackend& window = m_rig->GetWindow();
    return golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight());
}
