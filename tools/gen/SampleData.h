#pragma once
// The sample data generator: writes a complete, deterministic data tree with the engine's
// own writers. One file per area under tools/gen/ adds its part through a Generate…
// function called from GenerateSampleData.

#include <cstdint>
#include <string>
#include <vector>

class QrObject;

namespace tools
{
struct PackContents;
}

namespace gen
{

class Context
{
public:
    explicit Context(std::string root) : m_root(std::move(root)) {}

    const std::string& Root() const { return m_root; }
    // Root joined with a relative path written with '/'; makes the parent folders.
    std::string PathFor(const std::string& relative);
    // Saves the objects as top-level objects of one scene file (no action is running).
    void WriteScene(const std::string& relative, const std::vector<QrObject*>& topLevel);
    void WriteBytes(const std::string& relative, const std::vector<unsigned char>& bytes);
    void Error(const std::string& what);

    bool Ok() const { return m_errors.empty(); }
    const std::vector<std::string>& Errors() const { return m_errors; }
    const std::vector<std::string>& Written() const { return m_written; }

private:
    std::string m_root;
    std::vector<std::string> m_errors;
    std::vector<std::string> m_written;
};

// Every area in turn; false when any file could not be written.
bool GenerateSampleData(Context& context);

// Areas.
void GenerateAnglers(Context& context);
void GenerateAnimation(Context& context);
void GenerateBoat(Context& context);
void GenerateClips(Context& context);
void GenerateCollision(Context& context);
void GenerateEngineScenes(Context& context);
void GenerateFishModels(Context& context);
void GenerateFrameworkModels(Context& context);
void GenerateGeometry(Context& context);
void GenerateImages(Context& context);
void GenerateKitchenSink(Context& context);
void GenerateLakePacks(Context& context);
void GenerateLakes(Context& context);
void GenerateLakeWater(Context& context);
// The boat's wake pictures.
void GenerateWakes(Context& context);
void GenerateLights(Context& context);
void GenerateLureModels(Context& context);
void GeneratePacks(Context& context);
void GenerateProperties(Context& context);
void GenerateRenderScenes(Context& context);
void GenerateSceneGraph(Context& context);
void GenerateSkinsAndParticles(Context& context);
void GenerateSky(Context& context);
void GenerateSounds(Context& context);
void GenerateSpecialNodes(Context& context);
void GenerateTerrain(Context& context);
void GenerateWeighInClips(Context& context);
// The weigh-in's pictures and sounds (group 21) in the main pack.
void AddWeighInItems(tools::PackContents& pack);

// The packs the generator writes, before they are written: the main pack, and one per lake.
tools::PackContents MakeMainPack();
std::vector<tools::PackContents> MakeSampleLakePacks();

// A clip of a spinning reel with its sound (AVI bytes); tests make their own sizes.
std::vector<unsigned char> MakeReelClip(double seconds, uint32_t width, uint32_t height, uint32_t fps);

} // namespace gen
