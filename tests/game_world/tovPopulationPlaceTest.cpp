#include "GccWarnings.h"
#include "tovPopulation.h"
#include "tovPopulationCatalogue.h"
#include "tovScene.h"

#include "qrxCutout.h"
#include "qrxQuadTree.h"

#include "QrTestFixture.h"
#include "RecordingRender.h"
#include "TestFiles.h"

#include "ByteWriter.h"
#include "Files.h"
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrImage.h"
#include "QrTextureProperty.h"
#include "QrTriShape.h"
#include "QrZBufferProperty.h"
#include "qrxAssetCache.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace
{

// A width x height raster of one sample value, one world unit per cell.
std::vector<uint8_t> Raster(int32_t side, const std::function<uint16_t(int32_t, int32_t)>& sample, float seedA = 5.0f)
{
    plat::ByteWriter out;
    out.I32(side);
    out.I32(side);
    out.U32(0);
    out.U32(0);
    out.F32(100.0f);
    out.F32(seedA);
    out.F32(2.0f);
    for (int32_t r = 0; r < side; ++r)
        for (int32_t c = 0; c < side; ++c)
            out.U16(sample(c, r));
    return out.Take();
}

// An image that only checks its file is there: placement needs a texture, not its pixels.
class FileImage : public QrImage
{
public:
    bool LoadFromFile() override { return std::filesystem::exists(GetFileName()); }
    bool LoadFromRawData() override { return false; }
    bool PrepareForRenderer(QrRender*, uint32_t) override { return LoadFromFile(); }

protected:
    ~FileImage() override = default;
};

// The ground height the test asks for, everywhere.
float Ground(void* context, float, float)
{
    return *static_cast<float*>(context);
}

struct Placed
{
    std::string tree;
    QrPoint3 position;
    float scale;
    float cull;
    const QrProperty* texture;
    bool operator==(const Placed&) const = default;
};

void Collect(QrAVObject* object, const std::string& tree, std::vector<Placed>& out)
{
    if (object->GetRTTI() == &qrxCutout::ms_RTTI)
    {
        auto* cutout = static_cast<qrxCutout*>(object);
        const QrProperty* texture = nullptr;
        for (const QrProperty* p : cutout->GetQuad()->GetPropertyList())
            if (p->Type() == QrTextureProperty::kType)
                texture = p;
        out.push_back({tree, cutout->GetTranslate(), cutout->GetScale(), cutout->GetCullDistance(), texture});
        return;
    }
    auto* node = static_cast<QrNode*>(object);
    for (uint32_t i = 0; i < node->GetChildCount(); ++i)
        if (QrAVObject* child = node->GetChildAt(i))
            Collect(child, tree, out);
}

std::vector<Placed> Items(const tovPopulation& population)
{
    std::vector<Placed> out;
    for (int32_t t = 0; t < tovPopulation::kTreeCount; ++t)
        if (qrxQuadTree* tree = population.GetTree(t))
            Collect(tree, tree->GetName(), out);
    return out;
}

class tovPopulationPlaceTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        qrxCutout::CreateSharedProperties();
        QrEngineTest::SetUp();
        QrImage::SetCreateHook([](uint32_t) -> QrImage* { return new FileImage; });
        for (const char* name : {"a.bmp", "b.bmp"})
            plat::WriteFile(m_dir.File(name), "BM", 2);
    }
    void TearDown() override
    {
        QrImage::SetCreateHook(nullptr);
        ClearPopulationCatalogue();
        qrxAssetCache::Get().Clear();
        QrEngineTest::TearDown();
    }

    bool Catalogue(const std::string& text, int32_t level = 3)
    {
        plat::WriteFile(m_dir.File("lake.pop"), text.data(), text.size());
        return LoadPopulationCatalogue(m_dir.File("lake.pop"), level);
    }

    // Loads the raster into the population, with the ground at ground.
    void Map(tovPopulation& population, const std::vector<uint8_t>& raster)
    {
        plat::WriteFile(m_dir.File("pop.raw"), raster.data(), raster.size());
        ASSERT_TRUE(population.LoadMap(m_dir.File("pop.raw")));
        population.SetHeightCallback(&Ground, &m_ground);
    }

    testfiles::TempDir m_dir;
    float m_ground = 1.0f;
};

TEST_F(tovPopulationPlaceTest, CatalogueSharesDistancesAndDamagedRecords)
{
    ASSERT_TRUE(Catalogue("# kind weight picture\n"
                          "TALLTREE 1 a.bmp 0 1 0 1 0.4 0.6\n"
                          "unknown tallTree 5 b.bmp 0 1 0 1 1 1\n"
                          "tallTree 3 b.bmp 0 1 0 1 0.3 0.5\n"
                          "shortTree -1 a.bmp 0 1 0 1 1 1\n"
                          "shortTree nan a.bmp 0 1 0 1 1 1\n"
                          "shortTree 0 ../a.bmp 0 1 0 1 1 1\n"
                          "underWaterPlant 0 a.bmp 0 1 0 1 1 1 underWaterPlant 0 a.bmp 0 1 0 1 1 1\n"
                          "rock 1 a.bmp 0 1 0 1 1"));
    const std::vector<tovPopulationType>& tall = GetPopulationTypes(tovPopulationType::kTallTree);
    ASSERT_EQ(tall.size(), 2u);
    EXPECT_FLOAT_EQ(tall[0].m_weight, 0.25f);
    EXPECT_FLOAT_EQ(tall[1].m_weight, 1.0f);
    EXPECT_FLOAT_EQ(tall[1].m_sizeLow, 0.3f);
    EXPECT_EQ(tall[0].m_viewDistance, 10.0f);
    EXPECT_NE(tall[0].m_texture.Get(), nullptr);
    // Bad weights are dropped; a picture outside the folder is not read.
    const std::vector<tovPopulationType>& shortTrees = GetPopulationTypes(tovPopulationType::kShortTree);
    ASSERT_EQ(shortTrees.size(), 1u);
    EXPECT_EQ(shortTrees[0].m_texture.Get(), nullptr);
    EXPECT_EQ(shortTrees[0].m_viewDistance, 8.0f);
    // All-zero weights share equally; the record cut off by the end of the file is dropped.
    const std::vector<tovPopulationType>& weeds = GetPopulationTypes(tovPopulationType::kUnderWaterPlant);
    ASSERT_EQ(weeds.size(), 2u);
    EXPECT_FLOAT_EQ(weeds[0].m_weight, 0.5f);
    EXPECT_EQ(weeds[0].m_viewDistance, 2.0f);
    EXPECT_TRUE(GetPopulationTypes(tovPopulationType::kRock).empty());

    const struct
    {
        int32_t level;
        float tall, weed;
    } levels[] = {{0, 10, 2}, {5, 10, 2}, {6, 20, 4}, {10, 20, 4}, {11, 25, 5}, {14, 25, 5}, {15, 0, 0}, {-1, 0, 0}};
    for (const auto& l : levels)
    {
        ASSERT_TRUE(Catalogue("tallTree 1 a.bmp 0 1 0 1 1 1 underWaterPlant 1 a.bmp 0 1 0 1 1 1", l.level));
        EXPECT_EQ(GetPopulationTypes(tovPopulationType::kTallTree)[0].m_viewDistance, l.tall) << l.level;
        EXPECT_EQ(GetPopulationTypes(tovPopulationType::kUnderWaterPlant)[0].m_viewDistance, l.weed) << l.level;
    }
    EXPECT_EQ(DetailLevelOf(1.0f), 15);
    EXPECT_EQ(DetailLevelOf(0.4f), 6);
    EXPECT_FALSE(LoadPopulationCatalogue(m_dir.File("missing.pop"), 3));
    EXPECT_TRUE(GetPopulationTypes(tovPopulationType::kTallTree).empty());
}

TEST_F(tovPopulationPlaceTest, PlacementStepFollowsTheDetailLevelAndRepeatsExactly)
{
    ASSERT_TRUE(Catalogue("tallTree 1 a.bmp 0 1 0 1 0.4 0.6\ntallTree 3 b.bmp 0 1 0 1 0.3 0.5\n"));
    // Every cell a tall tree, except one column holding density bits only.
    const auto sample = [](int32_t c, int32_t) { return uint16_t(c == 2 ? 3 : 0x004 | 2); };
    const struct
    {
        int32_t level;
        size_t items;
    } cases[] = {{6, 8 * 7}, {15, 8 * 7}, {5, 4 * 3}, {0, 4 * 3}};
    for (const auto& c : cases)
    {
        tovPopulation first, second;
        Map(first, Raster(9, sample));
        Map(second, Raster(9, sample));
        first.Place(c.level);
        second.Place(c.level);
        const std::vector<Placed> items = Items(first);
        EXPECT_EQ(items.size(), c.items) << c.level;
        EXPECT_EQ(items, Items(second));
        EXPECT_TRUE(first.IsPlaced());
        // Placed once per load.
        first.Place(c.level);
        EXPECT_EQ(Items(first).size(), c.items);
        for (const Placed& item : items)
        {
            EXPECT_EQ(item.tree, "Above Water Populations");
            EXPECT_EQ(item.position.y, 0.99f);
            EXPECT_EQ(item.cull, 100.0f);
        }
    }
    // Both pictures are drawn from, and another seed gives another tile.
    tovPopulation population, other;
    Map(population, Raster(9, sample));
    Map(other, Raster(9, sample, 6.0f));
    population.Place(15);
    other.Place(15);
    const std::vector<Placed> items = Items(population);
    size_t firstPicture = 0;
    for (const Placed& item : items)
        firstPicture += item.texture == items[0].texture ? 1 : 0;
    EXPECT_GT(firstPicture, 0u);
    EXPECT_LT(firstPicture, items.size());
    EXPECT_NE(items, Items(other));
}

TEST_F(tovPopulationPlaceTest, AFullRasterPlacesNoMoreThanTheItemLimit)
{
    ASSERT_TRUE(Catalogue("tallTree 1 a.bmp 0 1 0 1 0.3 0.4 surfacePlant 1 a.bmp 0 1 0 1 0.03 0.03"));
    tovPopulation population;
    Map(population, Raster(tovPopulation::kMaxSide, [](int32_t, int32_t) { return uint16_t(0x7ff); }));
    population.Place(15);
    EXPECT_EQ(Items(population).size(), size_t(tovPopulation::kMaxItems));
}

TEST_F(tovPopulationPlaceTest, BelowWaterItemsNeedDepthAndKeepUnderTheSurface)
{
    ASSERT_TRUE(Catalogue("underWaterPlant 1 a.bmp 0 1 0 1 0.05 0.05\n"
                          "rock 1 a.bmp 0 1 0 1 0.05 0.05\n"
                          "surfacePlant 1 a.bmp 0 1 0 1 0.03 0.03\n"));
    const struct
    {
        uint16_t bits;
        float ground;
        std::vector<Placed> items; // texture left null: compared apart
    } cases[] = {
        {0x020, 0.0f, {}},
        {0x020, -0.01f, {{"Below Water Populations", {0.0f, -0.02f, 0.0f}, 0.0134f, 4.0f, nullptr}}},
        {0x020, -1.0f, {{"Below Water Populations", {0.0f, -1.01f, 0.0f}, 0.05f, 4.0f, nullptr}}},
        {0x080, 0.5f, {{"Above Water Populations", {0.0f, 0.49f, 0.0f}, 0.05f, 64.0f, nullptr}}},
        {0x080, -0.5f, {{"Below Water Populations", {0.0f, -0.51f, 0.0f}, 0.05f, 64.0f, nullptr}}},
        {0x040,
         -0.5f,
         {{"Above Water Surface Populations", {0.0f, -0.015f, 0.0f}, 0.03f, 64.0f, nullptr},
          {"Below Water Surface Populations", {0.0f, -0.015f, 0.0f}, 0.03f, 64.0f * 0.04f, nullptr}}},
    };
    for (const auto& c : cases)
    {
        m_ground = c.ground;
        tovPopulation population;
        // One cell at column 1 of the two placed: tile-local x = (3 - 1 - 1) cells.
        Map(population,
            Raster(3, [&](int32_t col, int32_t row) { return uint16_t(col == 1 && row == 0 ? c.bits : 0); }));
        population.Place(15);
        std::vector<Placed> items = Items(population);
        ASSERT_EQ(items.size(), c.items.size()) << c.bits << " " << c.ground;
        for (size_t i = 0; i < items.size(); ++i)
        {
            EXPECT_EQ(items[i].tree, c.items[i].tree);
            EXPECT_NEAR(items[i].position.y, c.items[i].position.y, 1e-6f) << c.bits << " " << c.ground;
            EXPECT_EQ(items[i].position.x, 1.0f);
            EXPECT_NEAR(items[i].scale, c.items[i].scale, 1e-6f);
            EXPECT_NEAR(items[i].cull, c.items[i].cull, 1e-4f);
        }
    }
}

TEST_F(tovPopulationPlaceTest, WithoutACallbackTheTilesHeightsDecide)
{
    ASSERT_TRUE(Catalogue("rock 1 a.bmp 0 1 0 1 0.05 0.05"));
    tovPopulation population;
    const std::vector<uint8_t> raster = Raster(3, [](int32_t, int32_t row) { return uint16_t(row == 0 ? 0x080 : 0); });
    plat::WriteFile(m_dir.File("pop.raw"), raster.data(), raster.size());
    ASSERT_TRUE(population.LoadMap(m_dir.File("pop.raw")));
    // Height columns run like population columns: column 0 at the tile's far x edge is high.
    const uint16_t heights[4] = {65535, 0, 65535, 0};
    population.SetHeightRaster(heights, 2, 2, -1.0f, 1.0f);
    population.Place(15);
    std::vector<Placed> items = Items(population);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].tree, "Above Water Populations");
    EXPECT_EQ(items[0].position, QrPoint3(2.0f, 0.99f, 0.0f));
    EXPECT_EQ(items[1].tree, "Below Water Populations");
    EXPECT_EQ(items[1].position, QrPoint3(1.0f, -1.01f, 0.0f));
}

TEST_F(tovPopulationPlaceTest, TreesHangInTheirSceneGroups)
{
    ASSERT_TRUE(Catalogue("tallTree 1 a.bmp 0 1 0 1 1 1 deadTree 1 a.bmp 0 1 0 1 0.02 0.02 "
                          "inOutPlant 1 a.bmp 0 1 0 1 1 1"));
    m_ground = -0.5f;
    tovPopulation population;
    Map(population, Raster(3, [](int32_t, int32_t) { return uint16_t(0x004 | 0x100 | 0x400); }));
    population.Place(15);
    QrPointer<tovScene> scene(new tovScene);
    population.AttachPopulations(*scene, QrPoint3(3.0f, 0.0f, -2.0f));
    const struct
    {
        int32_t tree;
        QrNode* group;
    } cases[] = {{tovPopulation::kAboveWater, scene->GetGroupA()},
                 {tovPopulation::kBelowWater, scene->GetGroupB()},
                 {tovPopulation::kAboveWaterSurface, scene->GetGroupA()},
                 {tovPopulation::kBelowWaterSurface, scene->GetGroupB()}};
    for (const auto& c : cases)
    {
        qrxQuadTree* tree = population.GetTree(c.tree);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->GetParent(), c.group);
        EXPECT_EQ(tree->GetTranslate(), QrPoint3(3.0f, 0.0f, -2.0f));
    }
    EXPECT_EQ(population.GetTree(tovPopulation::kUnused), nullptr);
    EXPECT_FALSE(population.GetTree(tovPopulation::kAboveWater)->GetPropertyList().Contains(scene->GetZBufferA()));
    EXPECT_TRUE(
        population.GetTree(tovPopulation::kAboveWaterSurface)->GetPropertyList().Contains(scene->GetZBufferA()));
    population.DetachPopulations(*scene);
    EXPECT_EQ(population.GetTree(tovPopulation::kBelowWater)->GetParent(), nullptr);
    // Freeing takes the trees out of the scene too.
    population.AttachPopulations(*scene, QrPoint3());
    population.FreeTrees();
    EXPECT_EQ(scene->GetGroupA()->GetNonEmptyChildCount(), 0u);
    EXPECT_FALSE(population.IsPlaced());
}

// What the game does with a catalogue: load it, place a tile from it and draw the tile.
class HostileCatalogueTest : public tovPopulationPlaceTest
{
protected:
    void SetUp() override
    {
        tovPopulationPlaceTest::SetUp();
        m_render = new RecordingRender;
        m_render->SetLogQueries(false);
        m_render->SetLogArrays(false);
        m_display = new QrDisplay;
        m_display->SetRenderer(m_render.Get());
        m_camera = new QrCamera(0.1f, 100.0f);
        m_camera->SetDisplay(m_display.Get());
        m_camera->SetDisplayPassFlag(1);
        m_camera->SetTranslate(2.0f, 1.0f, -6.0f);
        m_camera->UpdateAllInstances();
        m_camera->LookAt(QrPoint3(2.0f, 0.0f, 2.0f), QrPoint3(0.0f, 1.0f, 0.0f));
        m_scene = new tovScene;
        m_camera->SetSceneRoot(m_scene.Get());
        // Every kind, above and below the water.
        plat::WriteFile(m_dir.File("pop.raw"), m_raster.data(), m_raster.size());
    }
    void TearDown() override
    {
        m_display->SetRenderer(nullptr);
        m_camera = nullptr;
        m_scene = nullptr;
        m_display = nullptr;
        m_render = nullptr;
        tovPopulationPlaceTest::TearDown();
    }

    // The shapes drawn.
    size_t Run(const std::string& text)
    {
        Catalogue(text, 15);
        tovPopulation population;
        EXPECT_TRUE(population.LoadMap(m_dir.File("pop.raw")));
        population.SetHeightCallback(&Ground, &m_ground);
        population.Place(15);
        population.AttachPopulations(*m_scene, QrPoint3(0.0f, 0.0f, 0.0f));
        m_render->ClearLog();
        m_camera->RenderFrame(0.0f, 0.0f);
        population.DetachPopulations(*m_scene);
        size_t shapes = 0;
        for (const std::string& line : m_render->GetLog())
            shapes += line.rfind("RenderShape", 0) == 0 ? 1 : 0;
        return shapes;
    }

    std::vector<uint8_t> m_raster =
        Raster(5, [](int32_t c, int32_t r) { return uint16_t(((c * 9 + r) * 97) & 0x7fc); });
    QrPointer<RecordingRender> m_render;
    QrPointer<QrDisplay> m_display;
    QrPointer<QrCamera> m_camera;
    QrPointer<tovScene> m_scene;
};

TEST_F(HostileCatalogueTest, EveryPrefixLoadsPlacesAndDraws)
{
    std::vector<uint8_t> sample;
    ASSERT_TRUE(plat::ReadFile(testfiles::DataDir() + "/Lakes/Clearwater.pop", sample));
    for (const char* name : {"popPine.tga", "popOak.tga", "popBirch.tga", "popShrub.tga", "popWeed.tga", "popLily.tga",
                             "popRock.tga", "popSnag.tga", "popReeds.tga"})
        plat::WriteFile(m_dir.File(name), "TGA", 3);
    const std::string text(sample.begin(), sample.end());
    m_ground = -0.5f;
    EXPECT_GT(Run(text), 0u);
    for (size_t n = 0; n < text.size(); ++n)
        Run(text.substr(0, n));
}

// GCC 12 at -O3 takes the inlined string copies of the cases, made and destroyed, for one past
// their objects: they are not.
QR_GCC_STRING_BOUNDS_OFF
TEST_F(HostileCatalogueTest, DamagedRecordsDrawNothingStrange)
{
    static const char kBinary[] = "tallTree\0 1 a.bmp\xff 0 1 0 1 1 1";
    std::string many;
    for (int i = 0; i < 4000; ++i)
        many += "tallTree 1 a.bmp 0 1 0 1 0.3 0.4\n";
    const struct
    {
        std::string text;
        size_t kept; // tall trees
    } cases[] = {
        {"tallTree 1 " + std::string(100000, 'x') + " 0 1 0 1 1 1", 1},
        {"tallTree 1e39 a.bmp 0 1 0 1 1 1", 0},
        {"tallTree 1 a.bmp 0 1 0 1 -5 -1", 1},
        {"tallTree 1 a.bmp 0 1 0 1 inf 1", 0},
        {"tallTree 1 a.bmp 0 1 0 1 1e30 1e30", 1},
        {"tallTree 1 a.bmp 0x 1 0 1 1 1", 0},
        {std::string(kBinary, sizeof kBinary - 1), 1},
        {many, 64},
        {many + many, 0}, // too large to be a catalogue
    };
    m_ground = 0.5f;
    for (const auto& c : cases)
    {
        Run(c.text);
        EXPECT_EQ(GetPopulationTypes(tovPopulationType::kTallTree).size(), c.kept) << c.text.substr(0, 40);
    }
}
QR_GCC_STRING_BOUNDS_ON

} // namespace
