#include "SampleData.h"

#include "GenFrontEnd2.h"

#include "QrAction.h"
#include "QrStream.h"

#include "Files.h"

#include <filesystem>

namespace gen
{

std::string Context::PathFor(const std::string& relative)
{
    const std::filesystem::path path = std::filesystem::path(m_root) / relative;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec)
        Error("cannot make the folder of " + relative);
    return path.string();
}

void Context::WriteScene(const std::string& relative, const std::vector<QrObject*>& topLevel)
{
    // A save writes every running action too; sample files must hold only what they show.
    if (QrAction::GetActionCount() != 0)
    {
        Error(relative + ": actions are running while sample data is written");
        return;
    }
    QrStream stream;
    for (QrObject* object : topLevel)
        stream.InsertTopLevelObject(object);
    if (!stream.Save(PathFor(relative).c_str()))
        Error("cannot write " + relative);
    else
        m_written.push_back(relative);
}

void Context::WriteBytes(const std::string& relative, const std::vector<unsigned char>& bytes)
{
    if (!plat::WriteFile(PathFor(relative), bytes.data(), bytes.size()))
        Error("cannot write " + relative);
    else
        m_written.push_back(relative);
}

void Context::Error(const std::string& what)
{
    m_errors.push_back(what);
}

bool GenerateSampleData(Context& context)
{
    GenerateAnglers(context);
    GenerateAnimation(context);
    GenerateBoat(context);
    GenerateClips(context);
    GenerateCollision(context);
    GenerateEngineScenes(context);
    GenerateFishModels(context);
    GenerateFrameworkModels(context);
    GenerateGeometry(context);
    GenerateImages(context);
    GenerateKitchenSink(context);
    GenerateLakePacks(context);
    GenerateLakes(context);
    GenerateLakeWater(context);
    GenerateLights(context);
    GenerateLureModels(context);
    GeneratePacks(context);
    GenerateProperties(context);
    GenerateRenderScenes(context);
    GenerateSceneGraph(context);
    GenerateSkinsAndParticles(context);
    GenerateSky(context);
    GenerateSounds(context);
    GenerateSpecialNodes(context);
    GenerateSponsorPages(context);
    GenerateTerrain(context);
    GenerateWakes(context);
    GenerateWeighInClips(context);
    return context.Ok();
}

} // namespace gen
