#pragma once
// What the lake world's targets share: the classes their files name, and the sample lake's
// files beside the inputs.

#include "FuzzSupport.h"

#include "QrEngineAnimationClasses.h"
#include "QrEngineCoreClasses.h"
#include "QrProperty.h"
#include "tovWorldClasses.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzsupport
{

inline void RegisterWorldClasses()
{
    RegisterEngineCoreClasses();
    RegisterEngineAnimationClasses();
    RegisterGameWorldClasses();
    QrProperty::CreateDefaults();
}

// Copies the files of QR_FUZZ_LAKE_DIR whose names start with prefix into Folder(); the lake
// folder, or null when the variable is not set.
inline const char* CopyLakeFiles(const std::string& prefix)
{
    const char* lakes = std::getenv("QR_FUZZ_LAKE_DIR");
    if (!lakes)
        return nullptr;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(lakes, error))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            std::filesystem::copy_file(entry.path(), Folder() + "/" + entry.path().filename().string(),
                                       std::filesystem::copy_options::skip_existing, error);
    return lakes;
}

} // namespace fuzzsupport
