#pragma once
// The travel map's pictures and placement texts of a lake pack.

#include "PackWriter.h"

#include <string>

namespace gen
{

// The travel map screen's own pictures in the main pack (group 11).
void AddTravelMapPictures(tools::PackContents& pack);
// The map of the sample lake shaped shapeName, titled; nothing for a lake without ground.
void AddTravelMapItems(tools::PackContents& pack, const std::string& shapeName, const std::string& title);

} // namespace gen
