#include "QrRender.h"
#include "QrAlphaProperty.h"
#include "QrBound.h"
#include "QrColorA.h"
#include "QrCreateFunctionMap.h"
#include "QrFogProperty.h"
#include "QrImage.h"
#include "QrMaterialProperty.h"
#include "QrMatrix3.h"
#include "QrPlane.h"
#include "QrPoint3.h"
#include "QrPointer.h"
#include "QrPointerList.h"
#include "QrRect.h"
#include "QrStream.h"
#include "QrTestFixture.h"
#include "RecordingRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace
{

// A renderer image that needs no surface.
class TestImage : public QrImage
{
public:
    bool LoadFromFile() override { return true; }
    bool LoadFromRawData() override { return true; }
};

class QrRenderTest : public QrEngineTest
{
protected:
    QrPointer<RecordingRender> m_recorder = new RecordingRender(320, 200);
    QrRender* m_render = m_recorder.Get();
};

TEST_F(QrRenderTest, RegisteredAsAbstractClass)
{
    QrCreateFunction create = QrCreateFunctionMap::Find("QrRender");
    ASSERT_NE(create, nullptr);
    QrStream stream;
    QrObject* made = m_render;
    create(stream, made);
    EXPECT_EQ(made, nullptr);

    EXPECT_STREQ(QrRender::ms_RTTI.GetName(), "QrRender");
    EXPECT_TRUE(m_render->IsKindOf(&QrRender::ms_RTTI));
    EXPECT_TRUE(m_render->IsKindOf(&QrObject::ms_RTTI));
}

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

#if defined(__GNUC__) && !defined(_WIN32)
// Itanium C++ ABI: a pointer to a virtual member function holds 1 + the byte offset of its
// slot in the virtual table. The destructor takes two entries (complete and deleting).
template <class F> long SlotOf(F function)
{
    struct Representation
    {
        uintptr_t pointer;
        ptrdiff_t adjustment;
    };
    static_assert(sizeof(F) == sizeof(Representation));
    Representation r;
    std::memcpy(&r, &function, sizeof r);
    if ((r.pointer & 1) == 0)
        return -1;
    return static_cast<long>((r.pointer - 1) / sizeof(void*));
}

// Position in the renderer's published slot order, where the destructor is one slot (6).
long Published(long abiSlot)
{
    return abiSlot <= 6 ? abiSlot : abiSlot - 1;
}

TEST_F(QrRenderTest, SlotsKeepTheirPublishedOrder)
{
    struct Slot
    {
        const char* name;
        long abiSlot;
        long position;
    };
#define QR_SLOT(function, position)                                                                                    \
    Slot                                                                                                               \
    {                                                                                                                  \
#function, SlotOf(&QrRender::function), position                                                               \
    }
    const Slot slots[] = {
        QR_SLOT(GetRTTI, 0),
        QR_SLOT(LoadBinary, 1),
        QR_SLOT(LinkObject, 2),
        QR_SLOT(RegisterStreamables, 3),
        QR_SLOT(SaveBinary, 4),
        QR_SLOT(IsEqual, 5),
        QR_SLOT(GetDeviceName, 7),
        QR_SLOT(GetDeviceFlags, 8),
        QR_SLOT(SetPropertyState, 9),
        QR_SLOT(BeginFrame, 10),
        QR_SLOT(EndFrame, 11),
        QR_SLOT(DisplayFrame, 12),
        QR_SLOT(ClearBuffer, 13),
        QR_SLOT(SetBackgroundColor, 14),
        QR_SLOT(UpdateLight, 15),
        QR_SLOT(SetMaterial, 16),
        QR_SLOT(SetCameraData, 17),
        QR_SLOT(SetWorldTransform, 18),
        QR_SLOT(RenderShape, 19),
        QR_SLOT(RenderTriangles, 20),
        QR_SLOT(RenderTristrips, 21),
        QR_SLOT(RenderPoints, 22),
        QR_SLOT(RenderLines, 23),
        QR_SLOT(RenderScreenPolygon, 24),
        QR_SLOT(SetFog, 25),
        QR_SLOT(SetAlphaBlending, 26),
        QR_SLOT(SetZBufferTest, 27),
        QR_SLOT(SetZBufferWrite, 28),
        QR_SLOT(SetShade, 29),
        QR_SLOT(SetWireframe, 30),
        QR_SLOT(SetDither, 31),
        QR_SLOT(SetSpecular, 32),
        QR_SLOT(SetVertexColorMode, 33),
        QR_SLOT(SetTransparent, 34),
        QR_SLOT(SetTransparentValue, 35),
        QR_SLOT(PrepareTexture, 36),
        QR_SLOT(PrepareTexturePair, 37),
        QR_SLOT(ReleaseTextures, 38),
        QR_SLOT(ReleaseObjectTextures, 39),
        QR_SLOT(GetTextureMemory, 40),
        QR_SLOT(GetTextureStatistics, 41),
        QR_SLOT(GetTextureStatus, 42),
        QR_SLOT(SetUserWord, 43),
        QR_SLOT(GetUserWord, 44),
        QR_SLOT(SetTexture, 45),
        QR_SLOT(SetMultiTexture, 46),
        QR_SLOT(SetTextureApplyMode, 47),
        QR_SLOT(SetTextureFilterMode, 48),
        QR_SLOT(SetTextureClampMode, 49),
        QR_SLOT(SetCorrection, 50),
        QR_SLOT(SetClipPlanes, 51),
        QR_SLOT(GetBufferWidth, 52),
        QR_SLOT(GetBufferHeight, 53),
        QR_SLOT(GetBufferImage, 54),
        QR_SLOT(BlitImage, 55),
        QR_SLOT(GetWindowOrigin, 56),
        QR_SLOT(SetWindowOrigin, 57),
        QR_SLOT(GetPresentSize, 58),
        QR_SLOT(SetPresentSize, 59),
    };
#undef QR_SLOT
    for (const Slot& slot : slots)
    {
        ASSERT_GE(slot.abiSlot, 0) << slot.name << " is not virtual";
        EXPECT_EQ(Published(slot.abiSlot), slot.position) << slot.name;
    }
    EXPECT_EQ(std::size(slots), 59u) << "60 slots with the destructor";
}
#endif

// Every slot called through the base reaches the recorder's override with its own arguments:
// a shifted or mistyped signature would land in the wrong line or not compile.
TEST_F(QrRenderTest, RecorderLogsEachCallThroughTheBase)
{
    const QrRect rect{0, 320, 200, 0};
    const uint32_t apply = 5;
    const uint32_t clamp = 1;
    QrImage* const noImages[] = {nullptr};

    m_render->BeginFrame();
    m_render->ClearBuffer(&rect, 3);
    m_render->ClearBuffer(nullptr, 2);
    m_render->SetAlphaBlending(1, 6, 7);
    m_render->SetZBufferTest(1);
    m_render->SetZBufferWrite(0);
    m_render->SetShade(1);
    m_render->SetWireframe(0);
    m_render->SetDither(1);
    m_render->SetSpecular(0);
    m_render->SetVertexColorMode(5);
    m_render->SetTransparent(1);
    m_render->SetTransparentValue(9);
    m_render->SetTexture(nullptr);
    m_render->SetMultiTexture(noImages, &apply, &clamp, nullptr);
    m_render->SetMultiTexture(nullptr, nullptr, nullptr, nullptr);
    m_render->SetTextureApplyMode(3);
    m_render->SetTextureFilterMode(2);
    m_render->SetTextureClampMode(1);
    m_render->SetCorrection(1);
    m_render->SetClipPlanes(nullptr, 0, 0, 0);
    m_render->RenderScreenPolygon(0, nullptr, nullptr, nullptr);
    m_render->EndFrame();
    m_render->DisplayFrame();
    m_render->SetUserWord(2);
    m_render->ReleaseTextures(1);
    m_render->ReleaseObjectTextures(nullptr);
    m_render->PrepareTexture(nullptr, 1, 0, -1);
    m_render->PrepareTexturePair(nullptr, nullptr, 0, 1, -1, -1);
    m_render->SetPropertyState(nullptr);
    m_render->BlitImage(nullptr, &rect, -4, 7, 1);
    m_render->SetWindowOrigin(-3, 12);
    m_render->SetPresentSize(800, 600);

    const std::vector<std::string> expected = {
        "BeginFrame",
        "ClearBuffer rect=[0 320 200 0] flags=3",
        "ClearBuffer rect=null flags=2",
        "SetAlphaBlending enabled=1 source=6 destination=7",
        "SetZBufferTest flag=1",
        "SetZBufferWrite flag=0",
        "SetShade flag=1",
        "SetWireframe flag=0",
        "SetDither flag=1",
        "SetSpecular flag=0",
        "SetVertexColorMode mode=5",
        "SetTransparent flag=1",
        "SetTransparentValue value=9",
        "SetTexture image=null",
        "SetMultiTexture image=null applyMode=5 clampMode=1 filterMode=null",
        "SetMultiTexture image=null applyMode=null clampMode=null filterMode=null",
        "SetTextureApplyMode mode=3",
        "SetTextureFilterMode mode=2",
        "SetTextureClampMode mode=1",
        "SetCorrection flag=1",
        "SetClipPlanes count=0 frustumCount=0 frustumMask=0x0 planes=null",
        "RenderScreenPolygon count=0 vertices=null texcoords=null colors=null",
        "EndFrame",
        "DisplayFrame",
        "SetUserWord word=2",
        "ReleaseTextures alsoPinned=1",
        "ReleaseObjectTextures image=null",
        "PrepareTexture image=null allowEvict=1 pin=0 memory=-1",
        "PrepareTexturePair first=null second=null allowEvict=0 pin=1 firstMemory=-1 secondMemory=-1",
        "SetPropertyState properties=null",
        "BlitImage image=null source=[0 320 200 0] x=-4 y=7 keyed=1",
        "SetWindowOrigin x=-3 y=12",
        "SetPresentSize width=800 height=600",
    };
    EXPECT_EQ(m_recorder->GetLog(), expected);
}

TEST_F(QrRenderTest, RecorderAnswersQueriesAndLogsThemOnRequest)
{
    EXPECT_EQ(m_render->GetBufferWidth(), 320u);
    EXPECT_EQ(m_render->GetBufferHeight(), 200u);
    m_recorder->SetBufferSize(64, 48);
    EXPECT_EQ(m_render->GetBufferWidth(), 64u);
    EXPECT_EQ(m_render->GetBufferHeight(), 48u);
    EXPECT_EQ(m_render->GetBufferImage(1), nullptr);
    EXPECT_EQ(m_render->GetBufferImage(2), nullptr);

    // Stored words come back as set.
    m_render->SetUserWord(7);
    EXPECT_EQ(m_render->GetUserWord(), 7u);
    m_render->SetWindowOrigin(-10, 20);
    int32_t x = 0;
    int32_t y = 0;
    EXPECT_TRUE(m_render->GetWindowOrigin(&x, &y));
    EXPECT_EQ(x, -10);
    EXPECT_EQ(y, 20);
    uint32_t width = 0;
    uint32_t height = 0;
    EXPECT_TRUE(m_render->GetPresentSize(&width, &height));
    EXPECT_EQ(width, 320u) << "present size starts as the buffer size";
    EXPECT_EQ(height, 200u);

    // The recorder keeps the base answers of the texture statistics.
    uint32_t total = 5;
    EXPECT_FALSE(m_render->GetTextureMemory(&total, nullptr));
    EXPECT_EQ(total, 5u);
    EXPECT_EQ(m_render->GetTextureStatus(), 0u);
    EXPECT_EQ(m_render->SetPropertyState(nullptr), QrRender::kPropertyStateUnchecked);

    const std::vector<std::string> log = m_recorder->TakeLog();
    EXPECT_TRUE(m_recorder->GetLog().empty());
    EXPECT_EQ(log.front(), "GetBufferWidth");
    EXPECT_NE(std::find(log.begin(), log.end(), "GetBufferImage kind=2"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "GetTextureMemory"), log.end());

    m_recorder->SetLogQueries(false);
    m_render->GetBufferWidth();
    m_render->GetUserWord();
    m_render->GetWindowOrigin(&x, &y);
    m_render->BeginFrame();
    EXPECT_EQ(m_recorder->GetLogText(), "BeginFrame\n");
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

// Values print with %.6g in fixed shapes: points (x y z), colours (r g b a), planes and bounds
// {(vector) scalar}, matrices by rows, arrays in brackets.
TEST_F(QrRenderTest, RecorderWritesViewAndStateValues)
{
    const float frustum[6] = {-0.5f, 0.5f, 0.375f, -0.375f, 1.0f, 1000.0f};
    const float viewport[4] = {0.0f, 320.0f, 200.0f, 0.0f};
    m_render->SetCameraData(QrPoint3(1, 2, 3), QrPoint3(0, 2, 3), QrPoint3(1, 0, 0), QrPoint3(0, 1, 0), frustum,
                            viewport);
    m_render->SetWorldTransform(QrPoint3(0.25f, -0.0f, 1e-5f), QrMatrix3(1, 0, 0, 0, 0, -1, 0, 1, 0), 2.5f);
    m_render->SetBackgroundColor(QrPoint3(1.0f / 3.0f, 0.5f, 0));
    m_render->SetFog(1, 0.75f, 2, QrPoint3(0.5f, 0.5f, 1));

    const QrPlane near(QrPoint3(-1, 0, 0), -1);
    const QrPlane left(QrPoint3(0.5f, 0, 0.5f), 0);
    const QrPlane* planes[] = {&near, &left};
    m_render->SetClipPlanes(planes, 2, 2, 0x5);

    const std::vector<std::string> expected = {
        "SetCameraData location=(1 2 3) near=(0 2 3) direction=(1 0 0) up=(0 1 0) "
        "frustum=[-0.5 0.5 0.375 -0.375 1 1000] viewport=[0 320 200 0]",
        "SetWorldTransform translation=(0.25 -0 1e-05) rotation=[1 0 0; 0 0 -1; 0 1 0] scale=2.5",
        "SetBackgroundColor color=(0.333333 0.5 0)",
        "SetFog enabled=1 depth=0.75 mode=2 color=(0.5 0.5 1)",
        "SetClipPlanes count=2 frustumCount=2 frustumMask=0x5 planes=[{(-1 0 0) -1} {(0.5 0 0.5) 0}]",
    };
    EXPECT_EQ(m_recorder->GetLog(), expected);
}

TEST_F(QrRenderTest, RecorderWritesEachDrawWithTheArraysItReads)
{
    const QrPoint3 positions[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    const QrPoint3 texcoords[4] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    const QrColorA colors[4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 0.5f}, {1, 1, 1, 0}};
    const QrPlane planes[2] = {QrPlane(QrPoint3(0, 0, 1), 0), QrPlane(QrPoint3(0, 0, -1), 0)};
    const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    QrBound bound;
    bound.Set(QrPoint3(0.5f, 0.5f, 0), 0.75f);
    const QrPoint3 eye(0, 0, 5);

    m_render->RenderShape(2, 4, positions, nullptr, planes, 1, texcoords, colors, indices, bound, eye);
    // A strip of two triangles reads four vertices; a list of one reads three.
    m_render->RenderTristrips(2, positions, positions, planes, 0, nullptr, nullptr, bound, eye);
    m_render->RenderTriangles(1, positions, nullptr, nullptr, 0, nullptr, colors, bound, eye);
    m_render->RenderPoints(2, positions, nullptr, colors, 0.5f, bound);
    m_render->RenderLines(1, positions, nullptr, colors, bound);
    m_render->RenderScreenPolygon(3, positions, texcoords, nullptr);
    m_recorder->SetLogArrays(false);
    m_render->RenderShape(2, 4, positions, nullptr, planes, 1, texcoords, colors, indices, bound, eye);

    const std::vector<std::string> expected = {
        "RenderShape triangles=2 vertices=4 positions=[(0 0 0) (1 0 0) (0 1 0) (1 1 0)] normals=null "
        "planes=[{(0 0 1) 0} {(0 0 -1) 0}] sets=1 texcoords=[(0 0 0) (1 0 0) (0 1 0) (1 1 0)] "
        "colors=[(1 0 0 1) (0 1 0 1) (0 0 1 0.5) (1 1 1 0)] indices=[0 1 2 2 1 3] bound={(0.5 0.5 0) 0.75} "
        "eye=(0 0 5)",
        "RenderTristrips triangles=2 vertices=4 positions=[(0 0 0) (1 0 0) (0 1 0) (1 1 0)] "
        "normals=[(0 0 0) (1 0 0) (0 1 0) (1 1 0)] planes=[{(0 0 1) 0} {(0 0 -1) 0}] sets=0 texcoords=null "
        "colors=null bound={(0.5 0.5 0) 0.75} eye=(0 0 5)",
        "RenderTriangles triangles=1 vertices=3 positions=[(0 0 0) (1 0 0) (0 1 0)] normals=null planes=null "
        "sets=0 texcoords=null colors=[(1 0 0 1) (0 1 0 1) (0 0 1 0.5)] bound={(0.5 0.5 0) 0.75} eye=(0 0 5)",
        "RenderPoints count=2 positions=[(0 0 0) (1 0 0)] normals=null colors=[(1 0 0 1) (0 1 0 1)] size=0.5 "
        "bound={(0.5 0.5 0) 0.75}",
        "RenderLines lines=1 positions=[(0 0 0) (1 0 0)] texcoords=null colors=[(1 0 0 1) (0 1 0 1)] "
        "bound={(0.5 0.5 0) 0.75}",
        "RenderScreenPolygon count=3 vertices=[(0 0 0) (1 0 0) (0 1 0)] texcoords=[(0 0 0) (1 0 0) (0 1 0)] "
        "colors=null",
        "RenderShape triangles=2 vertices=4 positions=#4 normals=null planes=#2 sets=1 texcoords=#4 colors=#4 "
        "indices=#6 bound={(0.5 0.5 0) 0.75} eye=(0 0 5)",
    };
    EXPECT_EQ(m_recorder->GetLog(), expected);
}

TEST_F(QrRenderTest, RecorderNamesImagesWithoutAddresses)
{
    QrPointer<QrImage> named = new TestImage;
    named->SetName("grass");
    QrPointer<QrImage> plain = new TestImage;
    QrImage* const stage[] = {plain.Get()};
    const uint32_t filter = 4;
    const QrImage::CreateHook previousHook = QrImage::GetCreateHook();
    QrImage::SetCreateHook([](uint32_t) -> QrImage* { return new TestImage; });
    QrPointer<QrImage> fromFile = QrImage::CreateFromFile("Textures\\Grass.bmp", 2);
    QrImage::SetCreateHook(previousHook);
    ASSERT_TRUE(fromFile);

    m_render->SetTexture(named.Get());
    m_render->SetTexture(fromFile.Get());
    m_render->SetMultiTexture(stage, nullptr, nullptr, &filter);
    m_render->PrepareTexturePair(named.Get(), plain.Get(), 1, 0, -1, -1);

    const std::string serial = "#" + std::to_string(plain->GetSerial());
    const std::vector<std::string> expected = {
        "SetTexture image=\"grass\"",
        "SetTexture image=file:Textures\\Grass.bmp",
        "SetMultiTexture image=" + serial + " applyMode=null clampMode=null filterMode=4",
        "PrepareTexturePair first=\"grass\" second=" + serial + " allowEvict=1 pin=0 firstMemory=-1 secondMemory=-1",
    };
    EXPECT_EQ(m_recorder->GetLog(), expected);
}

// Materials show what the renderer would convert (raw, unclamped) and which object it is.
TEST_F(QrRenderTest, RecorderWritesMaterialsAndPropertyLists)
{
    QrPointer<QrMaterialProperty> material = new QrMaterialProperty;
    material->m_diffuse = QrPoint3(2, 0.5f, -1);
    material->m_alpha = 0.25f;
    material->m_revision = 3;
    m_render->SetMaterial(QrMaterialProperty::GetDefault());
    m_render->SetMaterial(material.Get());
    material->SetName("hull");
    m_render->SetMaterial(material.Get());
    m_render->SetMaterial(nullptr);

    QrPointerList<QrProperty> properties;
    m_render->SetPropertyState(&properties);
    QrPointer<QrFogProperty> fog = new QrFogProperty;
    fog->SetName("mist");
    properties.AddHead(fog.Get());
    properties.AddHead(new QrAlphaProperty);
    m_render->SetPropertyState(&properties);

    const std::string serial = "#" + std::to_string(material->GetSerial());
    const std::vector<std::string> expected = {
        "SetMaterial material=default revision=" + std::to_string(QrMaterialProperty::GetDefault()->m_revision) +
            " ambient=(0.5 0.5 0.5) diffuse=(0.5 0.5 0.5) specular=(0 0 0) emissive=(0 0 0) shininess=0 alpha=1",
        "SetMaterial material=" + serial +
            " revision=3 ambient=(0.5 0.5 0.5) diffuse=(2 0.5 -1) specular=(0 0 0) emissive=(0 0 0) shininess=0 "
            "alpha=0.25",
        "SetMaterial material=\"hull\" revision=3 ambient=(0.5 0.5 0.5) diffuse=(2 0.5 -1) specular=(0 0 0) "
        "emissive=(0 0 0) shininess=0 alpha=0.25",
        "SetMaterial material=null",
        "SetPropertyState properties=[]",
        "SetPropertyState properties=[QrAlphaProperty QrFogProperty:mist]",
    };
    EXPECT_EQ(m_recorder->GetLog(), expected);
}

} // namespace
