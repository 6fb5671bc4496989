#include "FontCatalog.h"

#include <fontconfig/fontconfig.h>

namespace plat
{

namespace
{

// The faces the game names, bound strongly to free faces with the same proportions.
constexpr const char* kAliases = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <match target="pattern">
    <test name="family" qual="any"><string>Verdana</string></test>
    <edit name="family" mode="assign" binding="strong"><string>DejaVu Sans</string></edit>
  </match>
  <match target="pattern">
    <test name="family" qual="any"><string>Arial</string></test>
    <edit name="family" mode="assign" binding="strong"><string>Liberation Sans</string></edit>
  </match>
</fontconfig>
)";

// Kept for the life of the program; fonts are looked up at start-up and screen changes.
struct Configuration
{
    FcConfig* config = nullptr;

    Configuration()
    {
        config = FcInitLoadConfigAndFonts();
        if (config)
            FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kAliases), FcFalse);
    }
    ~Configuration()
    {
        if (config)
            FcConfigDestroy(config);
        FcFini();
    }
};

FcConfig* TheConfiguration()
{
    static Configuration configuration;
    return configuration.config;
}

} // namespace

bool FontCatalog::Find(const std::string& face, int32_t weight, FontFile& out)
{
    FcConfig* config = TheConfiguration();
    if (!config)
        return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight <= 0 ? 400 : weight));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    int index = 0;
    const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    if (found)
    {
        out.path = reinterpret_cast<const char*>(file);
        out.index = FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch ? index : 0;
        out.family = FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch
                         ? reinterpret_cast<const char*>(family)
                         : std::string();
    }
    FcPatternDestroy(match);
    return found;
}

} // namespace plat
