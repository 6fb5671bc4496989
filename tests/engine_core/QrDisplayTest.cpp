#include "QrDisplay.h"

#include "PropertyTestHelpers.h"
#include "QrAVObject.h"
#include "QrAlphaProperty.h"
#include "QrAudioProperty.h"
#include "QrCorrectionProperty.h"
#include "QrDitherProperty.h"
#include "QrFogProperty.h"
#include "QrImage.h"
#include "QrLight.h"
#include "QrMaterialProperty.h"
#include "QrMultiTextureProperty.h"
#include "QrPointerList.h"
#include "QrRect.h"
#include "QrShadeProperty.h"
#include "QrSpecularProperty.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrVertexColorProperty.h"
#include "QrWireframeProperty.h"
#include "QrZBufferProperty.h"
#include "RecordingRender.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace
{

// Keeps the lights the renderer was told of, beside the recorder's text log.
class StateRecorder : public RecordingRender
{
public:
    void UpdateLight(const QrLight* light, uint32_t enable) override
    {
        m_lights.emplace_back(light, enable);
        RecordingRender::UpdateLight(light, enable);
    }
    void Forget()
    {
        ClearLog();
        m_lights.clear();
    }

    std::vector<std::pair<const QrLight*, uint32_t>> m_lights;

protected:
    ~StateRecorder() override = default;
};

class TestImage : public QrImage
{
public:
    bool LoadFromFile() override { return false; }
    bool LoadFromRawData() override { return false; }

protected:
    ~TestImage() override = default;
};

// A drawable that, like every geometry draw, applies the state in force and notes what it was.
class ProbeObject : public QrAVObject
{
public:
    explicit ProbeObject(QrDisplay* display) : m_display(display) {}

    void Draw(QrCamera*, QrAVInstance*) override
    {
        m_display->ApplyCurrentState();
        QrProperty* seen[QrDisplay::kTypeCount];
        m_display->GetCurrentProperties(seen);
        m_seen.assign(seen, seen + QrDisplay::kTypeCount);
        m_lightTop = m_display->GetLightTop();
        m_lightsSeen.assign(m_display->GetLights(), m_display->GetLights() + m_lightTop + 1);
        ++m_draws;
    }

    QrDisplay* m_display;
    std::vector<QrProperty*> m_seen;
    std::vector<QrLight*> m_lightsSeen;
    int32_t m_lightTop = -2;
    int m_draws = 0;

protected:
    ~ProbeObject() override = default;
};

// The setter names of a log, arguments dropped.
std::vector<std::string> Calls(const std::vector<std::string>& log)
{
    std::vector<std::string> names;
    for (const std::string& line : log)
        names.push_back(line.substr(0, line.find(' ')));
    return names;
}

std::vector<QrProperty*> Entries(const QrPointerList<QrProperty>& list)
{
    std::vector<QrProperty*> entries;
    for (QrProperty* p : list)
        entries.push_back(p);
    return entries;
}

const std::vector<std::string> kAllDefaultCalls = {
    "SetAlphaBlending",
    "SetCorrection",
    "SetFog",
    "SetMaterial",
    "SetShade",
    "SetTextureApplyMode",
    "SetTextureFilterMode",
    "SetTextureClampMode",
    "SetTexture",
    "SetTransparent",
    "SetTransparentValue",
    "SetWireframe",
    "SetDither",
    "SetVertexColorMode",
    "SetSpecular",
    "SetZBufferTest",
    "SetZBufferWrite",
    "SetMultiTexture",
};

class QrDisplayTest : public proptest::PropertyTest
{
protected:
    void SetUp() override
    {
        proptest::PropertyTest::SetUp();
        m_display = new QrDisplay;
        m_recorder = new StateRecorder;
        m_recorder->SetLogQueries(false);
        m_display->SetRenderer(m_recorder.Get());
        m_recorder->Forget();
    }
    void TearDown() override
    {
        m_display = nullptr;
        m_recorder = nullptr;
        proptest::PropertyTest::TearDown();
    }

    // One object's draw as the traversal makes it.
    void Draw(QrPointerList<QrProperty>& list)
    {
        m_display->PushProperties(list);
        m_display->ApplyCurrentState();
        m_display->PopProperties(list);
    }

    QrPointer<QrDisplay> m_display;
    QrPointer<StateRecorder> m_recorder;
};

TEST_F(QrDisplayTest, RendererStartsFromEveryDefault)
{
    QrPointer<QrDisplay> display = new QrDisplay;
    QrPointer<StateRecorder> recorder = new StateRecorder;
    recorder->SetLogQueries(false);

    // Before a renderer: sizes 0, frame calls go nowhere, caches are empty.
    EXPECT_EQ(display->GetWidth(), 0u);
    EXPECT_EQ(display->GetHeight(), 0u);
    display->DisplayFrame();
    display->ClearBuffer(nullptr, 3);
    display->EndFrame();
    display->ApplyDefaultState();
    display->ApplyCurrentState();
    EXPECT_EQ(display->GetCurrent(QrProperty::kFog), nullptr);

    display->SetRenderer(recorder.Get());
    EXPECT_EQ(Calls(recorder->GetLog()), kAllDefaultCalls);
    EXPECT_NE(recorder->GetLogText().find("SetTexture image=null\n"), std::string::npos);
    EXPECT_NE(recorder->GetLogText().find("SetMultiTexture image=null applyMode=null"), std::string::npos);
    for (uint32_t t = 0; t < QrDisplay::kTypeCount; ++t)
    {
        EXPECT_EQ(display->GetCurrent(t), QrProperty::GetDefault(t)) << t;
        EXPECT_EQ(display->GetLastSent(t), QrProperty::GetDefault(t)) << t;
        EXPECT_EQ(display->GetOverrideCount(t), 0u) << t;
    }

    recorder->Forget();
    recorder->SetBufferSize(320, 200);
    EXPECT_EQ(display->GetWidth(), 320u);
    EXPECT_EQ(display->GetHeight(), 200u);
    const QrRect rect{10, 20, 30, 5};
    display->ClearBuffer(&rect, 2);
    display->DisplayFrame();
    EXPECT_EQ(recorder->GetLog(), (std::vector<std::string>{"ClearBuffer rect=[10 20 30 5] flags=2", "DisplayFrame"}));

    // Letting the renderer go makes the display deaf again.
    display->SetRenderer(nullptr);
    recorder->Forget();
    display->DisplayFrame();
    display->ApplyCurrentState();
    EXPECT_TRUE(recorder->GetLog().empty());
    EXPECT_EQ(display->GetWidth(), 0u);
    EXPECT_EQ(recorder->GetRefCount(), 1u);
}

TEST_F(QrDisplayTest, IdenticalStateIsSentOnce)
{
    QrPointer<QrShadeProperty> flat = new QrShadeProperty;
    flat->m_smooth = 0;
    QrPointer<QrFogProperty> fog = new QrFogProperty;
    fog->m_enabled = 1;

    // Two objects that share their property objects.
    QrPointerList<QrProperty> first;
    QrPointerList<QrProperty> second;
    for (QrPointerList<QrProperty>* list : {&first, &second})
    {
        list->AddHead(flat.Get());
        list->AddHead(fog.Get());
    }
    Draw(first);
    EXPECT_EQ(Calls(m_recorder->TakeLog()), (std::vector<std::string>{"SetFog", "SetShade"}));
    Draw(second);
    Draw(first);
    EXPECT_TRUE(m_recorder->GetLog().empty());

    // An equal but distinct object is another state: identity decides, not values.
    QrPointer<QrShadeProperty> alsoFlat = new QrShadeProperty;
    alsoFlat->m_smooth = 0;
    QrPointerList<QrProperty> third;
    third.AddHead(alsoFlat.Get());
    Draw(third);
    // The fog in force is the default again, and the renderer still has the other one.
    EXPECT_EQ(m_recorder->TakeLog(),
              (std::vector<std::string>{"SetFog enabled=0 depth=1 mode=0 color=(0 0 0)", "SetShade flag=0"}));
    m_display->ApplyCurrentState();
    EXPECT_EQ(m_recorder->TakeLog(), (std::vector<std::string>{"SetShade flag=1"}));
}

TEST_F(QrDisplayTest, ChangedStateGoesOutInTheRendererOrder)
{
    QrPointer<QrImage> image = new TestImage;
    image->SetName("first");
    QrPointer<QrImage> second = new TestImage;
    second->SetName("second");
    QrPointer<QrTextureProperty> texture = new QrTextureProperty;
    texture->SetImage(image.Get(), 0);
    texture->SetCurrentIndex(0);
    QrPointer<QrMultiTextureProperty> multi = new QrMultiTextureProperty;
    multi->SetImage(second.Get(), 0);
    multi->m_applyModes = {4};

    QrPointerList<QrProperty> list;
    // One of every type; the order they are listed in must not matter.
    for (QrProperty* p : std::initializer_list<QrProperty*>{
             texture.Get(), multi.Get(), new QrAlphaProperty, new QrAudioProperty, new QrCorrectionProperty,
             new QrDitherProperty, new QrFogProperty, new QrMaterialProperty, new QrShadeProperty,
             new QrTextureModeProperty, new QrTransparentProperty, new QrWireframeProperty, new QrZBufferProperty,
             new QrVertexColorProperty, new QrSpecularProperty})
        list.AddHead(p);
    ASSERT_EQ(list.GetCount(), QrDisplay::kTypeCount);

    m_display->PushProperties(list);
    m_display->ApplyCurrentState();
    // Transparent and correction ride with the first bound texture only; audio never goes out.
    EXPECT_EQ(Calls(m_recorder->GetLog()),
              (std::vector<std::string>{"SetTextureApplyMode", "SetTextureFilterMode", "SetTextureClampMode",
                                        "SetVertexColorMode", "SetTexture", "SetTransparent", "SetTransparentValue",
                                        "SetCorrection", "SetMultiTexture", "SetFog", "SetShade", "SetSpecular",
                                        "SetWireframe", "SetZBufferTest", "SetZBufferWrite", "SetMaterial",
                                        "SetAlphaBlending", "SetDither"}));
    EXPECT_NE(m_recorder->GetLogText().find("SetTexture image=\"first\""), std::string::npos);
    EXPECT_NE(m_recorder->GetLogText().find("SetMultiTexture image=\"second\" applyMode=4 clampMode=null"),
              std::string::npos);
    for (uint32_t t = 0; t < QrDisplay::kTypeCount; ++t)
    {
        if (t == QrProperty::kAudio)
            continue;
        EXPECT_EQ(m_display->GetLastSent(t), m_display->GetCurrent(t)) << t;
    }
    EXPECT_EQ(m_display->GetLastSent(QrProperty::kAudio), QrProperty::GetDefault(QrProperty::kAudio));
    m_display->PopProperties(list);
}

TEST_F(QrDisplayTest, TexturesWithoutAnImageUnbindAndLeaveTheirCompanions)
{
    QrPointer<QrImage> image = new TestImage;
    image->SetName("bark");
    QrPointer<QrTransparentProperty> keyed = new QrTransparentProperty;
    keyed->m_enabled = 1;
    QrPointer<QrCorrectionProperty> uncorrected = new QrCorrectionProperty;
    uncorrected->m_enabled = 0;

    // Index -1: unbinds; transparent and correction keep their last-sent values.
    QrPointer<QrTextureProperty> none = new QrTextureProperty;
    none->SetImage(image.Get(), 0);
    QrPointerList<QrProperty> noneList;
    noneList.AddHead(none.Get());
    noneList.AddHead(keyed.Get());
    noneList.AddHead(uncorrected.Get());
    Draw(noneList);
    EXPECT_EQ(m_recorder->TakeLog(), (std::vector<std::string>{"SetTexture image=null"}));
    EXPECT_EQ(m_display->GetLastSent(QrProperty::kTransparent), QrProperty::GetDefault(QrProperty::kTransparent));

    // A valid index naming an empty entry draws untextured too, instead of keeping whatever
    // texture the previous object bound.
    QrPointer<QrTextureProperty> holey = new QrTextureProperty;
    holey->SetImage(image.Get(), 1);
    holey->SetCurrentIndex(0);
    QrPointerList<QrProperty> holeyList;
    holeyList.AddHead(holey.Get());
    holeyList.AddHead(keyed.Get());
    Draw(holeyList);
    EXPECT_EQ(m_recorder->TakeLog(), (std::vector<std::string>{"SetTexture image=null"}));
    EXPECT_EQ(m_display->GetLastSent(QrProperty::kCorrection), QrProperty::GetDefault(QrProperty::kCorrection));

    // A bound image takes the companions that changed, and only those.
    holey->SetCurrentIndex(1);
    QrPointer<QrTextureProperty> bound = new QrTextureProperty;
    bound->SetImage(image.Get(), 0);
    bound->SetCurrentIndex(0);
    QrPointerList<QrProperty> boundList;
    boundList.AddHead(bound.Get());
    boundList.AddHead(keyed.Get());
    Draw(boundList);
    EXPECT_EQ(m_recorder->TakeLog(), (std::vector<std::string>{"SetTexture image=\"bark\"", "SetTransparent flag=1",
                                                               "SetTransparentValue value=0"}));

    // Multi-texture without an image turns its stage off and sends no companion.
    QrPointer<QrMultiTextureProperty> emptyMulti = new QrMultiTextureProperty;
    QrPointerList<QrProperty> multiList;
    multiList.AddHead(emptyMulti.Get());
    multiList.AddHead(uncorrected.Get());
    m_display->PushProperties(multiList);
    m_display->ApplyCurrentState();
    EXPECT_EQ(Calls(m_recorder->GetLog()), (std::vector<std::string>{"SetTexture", "SetMultiTexture"}));
    EXPECT_EQ(m_recorder->GetLog().back().rfind("SetMultiTexture image=null", 0), 0u);
    m_display->PopProperties(multiList);
}

TEST_F(QrDisplayTest, EditsInPlaceReachTheRendererAtTheNextFrame)
{
    QrPointer<QrFogProperty> fog = new QrFogProperty;
    QrPointer<QrMaterialProperty> material = new QrMaterialProperty;
    QrPointerList<QrProperty> list;
    list.AddHead(fog.Get());
    list.AddHead(material.Get());

    Draw(list);
    EXPECT_EQ(Calls(m_recorder->TakeLog()), (std::vector<std::string>{"SetFog", "SetMaterial"}));
    // The display turns the material's changed flag into a new revision as it sends it.
    EXPECT_EQ(material->m_changed, 0u);
    EXPECT_EQ(material->m_revision, 2u);

    // Still the last-sent objects: an edit in place is not seen.
    fog->m_enabled = 1;
    material->m_changed = 1;
    Draw(list);
    EXPECT_TRUE(m_recorder->GetLog().empty());

    // A new frame sends the defaults of the types whose last-sent is not the default, in
    // frame order, and leaves the properties in force alone.
    m_display->PushProperties(list);
    m_display->ApplyDefaultState();
    EXPECT_EQ(Calls(m_recorder->GetLog()), (std::vector<std::string>{"BeginFrame", "SetFog", "SetMaterial"}));
    EXPECT_NE(m_recorder->GetLogText().find("SetFog enabled=0"), std::string::npos);
    EXPECT_EQ(m_display->GetLastSent(QrProperty::kMaterial), QrProperty::GetDefault(QrProperty::kMaterial));
    EXPECT_EQ(m_display->GetCurrent(QrProperty::kFog), fog.Get());
    EXPECT_EQ(m_display->GetLastSent(QrProperty::kFog), QrProperty::GetDefault(QrProperty::kFog));
    m_recorder->Forget();
    m_display->ApplyCurrentState();
    m_display->PopProperties(list);
    EXPECT_EQ(Calls(m_recorder->GetLog()), (std::vector<std::string>{"SetFog", "SetMaterial"}));
    EXPECT_NE(m_recorder->GetLogText().find("SetFog enabled=1"), std::string::npos);
    EXPECT_EQ(material->m_revision, 3u);

    // A frame that starts with only defaults sent sends nothing but the frame start.
    m_display->ApplyDefaultState();
    m_recorder->Forget();
    m_display->ApplyDefaultState();
    EXPECT_EQ(m_recorder->GetLog(), std::vector<std::string>{"BeginFrame"});
}

TEST_F(QrDisplayTest, PopRestoresThePreviousStateExactly)
{
    QrPointer<QrFogProperty> parentFog = new QrFogProperty;
    QrPointer<QrShadeProperty> parentShade = new QrShadeProperty;
    QrPointer<QrFogProperty> childFog = new QrFogProperty;
    QrPointer<QrAlphaProperty> childAlpha = new QrAlphaProperty;
    QrPointerList<QrProperty> parent;
    parent.AddHead(parentShade.Get());
    parent.AddHead(parentFog.Get());
    QrPointerList<QrProperty> child;
    child.AddHead(childAlpha.Get());
    child.AddHead(childFog.Get());
    const std::vector<QrProperty*> parentEntries = Entries(parent);
    const std::vector<QrProperty*> childEntries = Entries(child);
    const uint32_t fogRefs = parentFog->GetRefCount();

    std::vector<QrProperty*> before(QrDisplay::kTypeCount);
    m_display->GetCurrentProperties(before.data());
    m_display->PushProperties(parent);
    std::vector<QrProperty*> inParent(QrDisplay::kTypeCount);
    m_display->GetCurrentProperties(inParent.data());
    EXPECT_EQ(inParent[QrProperty::kFog], parentFog.Get());
    EXPECT_EQ(inParent[QrProperty::kShade], parentShade.Get());
    // Between push and pop the list holds what its properties displaced.
    EXPECT_EQ(Entries(parent), (std::vector<QrProperty*>{QrProperty::GetDefault(QrProperty::kFog),
                                                         QrProperty::GetDefault(QrProperty::kShade)}));

    m_display->PushProperties(child);
    EXPECT_EQ(m_display->GetCurrent(QrProperty::kFog), childFog.Get());
    EXPECT_EQ(m_display->GetCurrent(QrProperty::kAlpha), childAlpha.Get());
    EXPECT_EQ(m_display->GetCurrent(QrProperty::kShade), parentShade.Get());
    m_display->PopProperties(child);

    std::vector<QrProperty*> afterChild(QrDisplay::kTypeCount);
    m_display->GetCurrentProperties(afterChild.data());
    EXPECT_EQ(afterChild, inParent);
    EXPECT_EQ(Entries(child), childEntries);

    m_display->PopProperties(parent);
    std::vector<QrProperty*> after(QrDisplay::kTypeCount);
    m_display->GetCurrentProperties(after.data());
    EXPECT_EQ(after, before);
    EXPECT_EQ(Entries(parent), parentEntries);
    EXPECT_EQ(parentFog->GetRefCount(), fogRefs);
}

TEST_F(QrDisplayTest, OverridingPropertyHoldsForItsSubtree)
{
    QrPointer<QrWireframeProperty> forced = new QrWireframeProperty;
    forced->m_enabled = 1;
    forced->m_override = 1;
    QrPointer<QrWireframeProperty> childWire = new QrWireframeProperty;
    QrPointer<QrWireframeProperty> grandchildWire = new QrWireframeProperty;
    QrPointer<QrFogProperty> childFog = new QrFogProperty;

    QrPointerList<QrProperty> top;
    top.AddHead(forced.Get());
    QrPointerList<QrProperty> child;
    child.AddHead(childWire.Get());
    child.AddHead(childFog.Get());
    QrPointerList<QrProperty> grandchild;
    grandchild.AddHead(grandchildWire.Get());
    // The same overriding object further down is swallowed as well.
    QrPointerList<QrProperty> again;
    again.AddHead(forced.Get());

    const uint32_t w = QrProperty::kWireframe;
    m_display->PushProperties(top);
    m_display->PushProperties(child);
    EXPECT_EQ(m_display->GetCurrent(w), forced.Get());
    EXPECT_EQ(m_display->GetOverrideCount(w), 1u);
    // Other types below an override behave as usual.
    EXPECT_EQ(m_display->GetCurrent(QrProperty::kFog), childFog.Get());
    m_display->PushProperties(grandchild);
    m_display->PushProperties(again);
    EXPECT_EQ(m_display->GetOverrideCount(w), 3u);
    m_display->ApplyCurrentState();
    EXPECT_EQ(Calls(m_recorder->GetLog()), (std::vector<std::string>{"SetFog", "SetWireframe"}));
    EXPECT_EQ(m_recorder->GetLog().back(), "SetWireframe flag=1");

    m_display->PopProperties(again);
    m_display->PopProperties(grandchild);
    m_display->PopProperties(child);
    EXPECT_EQ(m_display->GetCurrent(w), forced.Get());
    EXPECT_EQ(m_display->GetOverrideCount(w), 0u);
    EXPECT_EQ(Entries(child), (std::vector<QrProperty*>{childFog.Get(), childWire.Get()}));
    EXPECT_EQ(Entries(grandchild), std::vector<QrProperty*>{grandchildWire.Get()});

    // The override leaves at its own node.
    m_display->PopProperties(top);
    EXPECT_EQ(m_display->GetCurrent(w), QrProperty::GetDefault(w));
    EXPECT_EQ(Entries(top), std::vector<QrProperty*>{forced.Get()});
}

TEST_F(QrDisplayTest, LightStackStaysBalancedAcrossNestedNodes)
{
    std::vector<QrPointer<QrLight>> lights;
    for (int i = 0; i < 10; ++i)
        lights.emplace_back(new QrLight);
    QrLight* shared = lights[0].Get();

    // Outer node: the shared light and one more; inner node: the shared light again.
    m_display->PushLight(shared);
    m_display->PushLight(lights[1].Get());
    m_display->PushLight(shared);
    EXPECT_EQ(m_display->GetLightTop(), 2);
    EXPECT_EQ(shared->GetUseCount(), 2u);
    m_display->PopLight();
    EXPECT_EQ(shared->GetUseCount(), 1u);
    m_display->PopLight();
    m_display->PopLight();
    const std::vector<std::pair<const QrLight*, uint32_t>> expected = {
        {shared, 1}, {lights[1].Get(), 1}, {lights[1].Get(), 0}, {shared, 0}};
    EXPECT_EQ(m_recorder->m_lights, expected);
    EXPECT_EQ(m_display->GetLightTop(), -1);
    m_recorder->Forget();

    // Eight lights fill the stack; the ninth and tenth are swallowed and so are their pops.
    for (int i = 0; i < 10; ++i)
        m_display->PushLight(lights[i].Get());
    EXPECT_EQ(m_display->GetLightTop(), 7);
    EXPECT_EQ(lights[8]->GetUseCount(), 0u);
    EXPECT_EQ(m_recorder->m_lights.size(), 8u);
    m_display->PopLight();
    m_display->PopLight();
    EXPECT_EQ(m_display->GetLightTop(), 7);
    EXPECT_EQ(m_display->GetLights()[7], lights[7].Get());
    EXPECT_EQ(m_recorder->m_lights.size(), 8u);
    // Room again after the eighth pops: a new push lands on the stack.
    m_display->PopLight();
    EXPECT_EQ(m_recorder->m_lights.back(), (std::pair<const QrLight*, uint32_t>(lights[7].Get(), 0)));
    m_display->PushLight(lights[9].Get());
    EXPECT_EQ(m_display->GetLights()[7], lights[9].Get());
    m_display->PopLight();
    for (int i = 0; i < 7; ++i)
        m_display->PopLight();
    EXPECT_EQ(m_display->GetLightTop(), -1);
    for (const QrPointer<QrLight>& light : lights)
        EXPECT_EQ(light->GetUseCount(), 0u);

    // A pop too many leaves the empty stack alone.
    m_recorder->Forget();
    m_display->PopLight();
    EXPECT_EQ(m_display->GetLightTop(), -1);
    EXPECT_TRUE(m_recorder->m_lights.empty());
}

TEST_F(QrDisplayTest, LightRevisionMovesOncePerBurstOfChanges)
{
    QrPointer<QrLight> light = new QrLight;
    EXPECT_EQ(light->GetRevision(), 1u);
    m_display->PushLight(light.Get());
    EXPECT_EQ(light->GetRevision(), 2u);
    EXPECT_EQ(light->GetChanged(), 0u);
    m_display->PopLight();

    m_display->PushLight(light.Get());
    m_display->PopLight();
    EXPECT_EQ(light->GetRevision(), 2u);

    light->SetDimmer(0.5f);
    light->SetDimmer(0.25f);
    m_display->PushLight(light.Get());
    m_display->PopLight();
    EXPECT_EQ(light->GetRevision(), 3u);

    // A light switched off is not the display's business: its record does not move.
    light->SetOn(0);
    EXPECT_EQ(light->GetChanged(), 0u);
}

TEST_F(QrDisplayTest, DeferredDrawUsesTheCapturedStateAndRestoresTheLiveOne)
{
    QrPointer<QrFogProperty> liveFog = new QrFogProperty;
    QrPointer<QrFogProperty> capturedFog = new QrFogProperty;
    QrPointer<QrLight> liveLight = new QrLight;
    QrPointer<QrLight> capturedLight = new QrLight;
    QrPointer<ProbeObject> probe = new ProbeObject(m_display.Get());

    // What a record took while its object was being displayed.
    QrPointerList<QrProperty> recordList;
    recordList.AddHead(capturedFog.Get());
    m_display->PushProperties(recordList);
    m_display->PushLight(capturedLight.Get());
    std::vector<QrProperty*> captured(QrDisplay::kTypeCount);
    m_display->GetCurrentProperties(captured.data());
    QrLight* capturedLights[QrDisplay::kMaxLights] = {capturedLight.Get()};
    m_display->PopLight();
    m_display->PopProperties(recordList);

    // The live traversal has moved on to other state.
    QrPointerList<QrProperty> liveList;
    liveList.AddHead(liveFog.Get());
    m_display->PushProperties(liveList);
    m_display->PushLight(liveLight.Get());
    std::vector<QrProperty*> live(QrDisplay::kTypeCount);
    m_display->GetCurrentProperties(live.data());
    m_recorder->Forget();

    m_display->DrawWithState(nullptr, probe.Get(), probe->GetCurrentInstance(), captured.data(), 0, capturedLights);
    EXPECT_EQ(probe->m_draws, 1);
    EXPECT_EQ(probe->m_seen, captured);
    EXPECT_EQ(probe->m_lightsSeen, std::vector<QrLight*>{capturedLight.Get()});
    const std::vector<std::pair<const QrLight*, uint32_t>> expected = {
        {liveLight.Get(), 0}, {capturedLight.Get(), 1}, {capturedLight.Get(), 0}, {liveLight.Get(), 1}};
    EXPECT_EQ(m_recorder->m_lights, expected);

    std::vector<QrProperty*> restored(QrDisplay::kTypeCount);
    m_display->GetCurrentProperties(restored.data());
    EXPECT_EQ(restored, live);
    EXPECT_EQ(m_display->GetLightTop(), 0);
    EXPECT_EQ(m_display->GetLights()[0], liveLight.Get());
    // The captured state was sent for the deferred draw; the live one goes out at the next draw.
    EXPECT_EQ(m_display->GetLastSent(QrProperty::kFog), capturedFog.Get());
    EXPECT_EQ(liveLight->GetUseCount(), 1u);
    EXPECT_EQ(capturedLight->GetUseCount(), 0u);

    m_display->PopLight();
    m_display->PopProperties(liveList);
}

TEST_F(QrDisplayTest, DroppingTheRendererEmptiesTheLightStack)
{
    QrPointer<QrLight> light = new QrLight;
    m_display->PushLight(light.Get());
    m_display->SetRenderer(nullptr);
    EXPECT_EQ(m_display->GetLightTop(), -1);
    EXPECT_EQ(light->GetUseCount(), 0u);
    EXPECT_EQ(m_display->GetRenderer(), nullptr);

    // With a renderer again the light is enabled at its next push.
    m_display->SetRenderer(m_recorder.Get());
    m_recorder->Forget();
    m_display->PushLight(light.Get());
    EXPECT_EQ(m_recorder->m_lights.size(), 1u);
    m_display->PopLight();
}

} // namespace
