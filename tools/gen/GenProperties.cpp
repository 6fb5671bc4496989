#include "SampleData.h"
#include "SampleObjects.h"

#include "QrAlphaProperty.h"
#include "QrAudioProperty.h"
#include "QrCorrectionProperty.h"
#include "QrDitherProperty.h"
#include "QrFlipTextures.h"
#include "QrFogProperty.h"
#include "QrImage.h"
#include "QrMaterialProperty.h"
#include "QrMultiTextureProperty.h"
#include "QrShadeProperty.h"
#include "QrSpecularProperty.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrVertexColorProperty.h"
#include "QrWireframeProperty.h"
#include "QrZBufferProperty.h"

namespace gen
{

namespace
{

// The generator has no renderer: its images only carry the file name into the scene file.
class NamedImage final : public QrImage
{
public:
    bool LoadFromFile() override { return true; }
    bool LoadFromRawData() override { return true; }

protected:
    ~NamedImage() override = default;
};

QrImage* MakeNamedImage(uint32_t)
{
    return new NamedImage;
}

// Images written by GenerateImages, named relative to the scene's folder.
const char* const kFlipFrames[] = {
    "Images/texture64x32.bmp",
    "Images/bmp24_bottomup.bmp",
    "Images/tga2_24.tga",
    "Images/sgi_z3.rgb",
};
const char* const kSecondStageImage = "Images/tga2_32.tga";

} // namespace

NamedImages::NamedImages() : m_previous(QrImage::GetCreateHook())
{
    QrImage::SetCreateHook(&MakeNamedImage);
}

NamedImages::~NamedImages()
{
    QrImage::SetCreateHook(m_previous);
}

std::vector<QrPointer<QrObject>> MakeSampleProperties(Context& context)
{
    const NamedImages images;

    QrPointer<QrAlphaProperty> alpha = new QrAlphaProperty;
    alpha->SetName("alpha");
    alpha->m_enabled = 1;
    alpha->m_source = 0;
    alpha->m_destination = 1;

    QrPointer<QrAudioProperty> audio = new QrAudioProperty;
    audio->SetName("audio");
    audio->m_valueA = 0.75f;
    audio->m_valueB = -2.0f;
    audio->m_flag = 1;

    QrPointer<QrCorrectionProperty> correction = new QrCorrectionProperty;
    correction->SetName("affine");
    correction->m_enabled = 0;

    QrPointer<QrFogProperty> fog = new QrFogProperty;
    fog->SetName("haze");
    fog->m_override = 1;
    fog->m_enabled = 1;
    fog->m_depth = 0.5f;
    fog->m_mode = 1;
    fog->m_color = QrPoint3(0.6f, 0.7f, 0.8f);

    QrPointer<QrMaterialProperty> material = new QrMaterialProperty;
    material->SetName("hull paint");
    material->m_ambient = QrPoint3(0.0f, 0.0f, 0.5f);
    material->m_diffuse = QrPoint3(1.0f, 1.0f, 1.0f);
    material->m_specular = QrPoint3(1.0f, 1.0f, 1.0f);
    material->m_emissive = QrPoint3(0.1f, 0.0f, 0.0f);
    material->m_shininess = 8.0f;
    material->m_alpha = 0.5f;

    QrPointer<QrShadeProperty> shade = new QrShadeProperty;
    shade->SetName("flat");
    shade->m_smooth = 0;

    QrPointer<QrTextureModeProperty> textureMode = new QrTextureModeProperty;
    textureMode->SetName("decal clamped");
    textureMode->m_applyMode = 1;
    textureMode->m_filterMode = 2;
    textureMode->m_clampMode = 0;

    QrPointer<QrTextureProperty> texture = new QrTextureProperty;
    texture->SetName("flip-book");
    uint32_t frame = 0;
    for (const char* name : kFlipFrames)
    {
        QrPointer<QrImage> image = QrImage::CreateFromFile(name, 2);
        if (!image)
            context.Error(std::string("cannot make an image for ") + name);
        texture->SetImage(image.Get(), frame++);
    }
    texture->SetCurrentIndex(0);

    QrPointer<QrTransparentProperty> transparent = new QrTransparentProperty;
    transparent->SetName("colour key");
    transparent->m_enabled = 1;
    transparent->m_value = 0x00FF00FFu;

    QrPointer<QrWireframeProperty> wireframe = new QrWireframeProperty;
    wireframe->SetName("outline");
    wireframe->m_enabled = 1;

    QrPointer<QrZBufferProperty> zbuffer = new QrZBufferProperty;
    zbuffer->SetName("depth");
    zbuffer->m_test = 1;
    zbuffer->m_write = 1;

    QrPointer<QrDitherProperty> dither = new QrDitherProperty;
    dither->SetName("dither");
    dither->m_enabled = 1;

    QrPointer<QrVertexColorProperty> vertexColor = new QrVertexColorProperty;
    vertexColor->SetName("lit only");
    vertexColor->m_mode = 4;

    QrPointer<QrSpecularProperty> specular = new QrSpecularProperty;
    specular->SetName("shine");
    specular->m_enabled = 1;

    QrPointer<QrMultiTextureProperty> multiTexture = new QrMultiTextureProperty;
    multiTexture->SetName("detail");
    multiTexture->SetImage(QrImage::CreateFromFile(kSecondStageImage, 2).Get(), 0);
    if (!multiTexture->GetImage(0))
        context.Error(std::string("cannot make an image for ") + kSecondStageImage);
    multiTexture->m_applyModes = {5};
    multiTexture->m_clampModes = {0};
    multiTexture->m_filterModes = {2};

    QrPointer<QrFlipTextures> flip = new QrFlipTextures;
    flip->SetName("flip");
    flip->m_cycleType = QrFlipTextures::kReverse;
    flip->m_rate = 2.0f;
    flip->m_startTime = 0.5f;
    flip->m_period = 4.0f;
    flip->SetTarget(texture.Get());

    return {alpha,       audio,     correction, fog,    material,    shade,    textureMode,  texture,
            transparent, wireframe, zbuffer,    dither, vertexColor, specular, multiTexture, flip};
}

// Every property type, each away from its defaults, and a flip-book driving the texture.
void GenerateProperties(Context& context)
{
    std::vector<QrObject*> topLevel;
    const std::vector<QrPointer<QrObject>> objects = MakeSampleProperties(context);
    for (const QrPointer<QrObject>& object : objects)
        topLevel.push_back(object.Get());
    context.WriteScene("Data/Engine/properties.qrf", topLevel);
}

} // namespace gen
