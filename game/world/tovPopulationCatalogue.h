#pragma once
// The lake's population catalogue ("<base>.pop"): program-wide lists of population types by
// kind, replaced by each lake load. Text of whitespace-separated tokens: a kind keyword (any
// case) followed by weight, picture file, four further numbers, size low and size high; any
// other word is skipped with the rest of its line.

#include "tovPopulationType.h"

#include <cstdint>
#include <string>
#include <vector>

// The detail level of a detail fraction 0..1: trunc(detail x 15).
int32_t DetailLevelOf(float detail);

// Empties the lists, then reads the file at path (pictures from its folder). Entries without a
// view distance take the default of their kind at the detail level. False when the file
// cannot be read or is too large; the lists stay empty then.
bool LoadPopulationCatalogue(const std::string& path, int32_t detailLevel);
void ClearPopulationCatalogue();
// Empty for a kind out of range.
const std::vector<tovPopulationType>& GetPopulationTypes(int32_t kind);
// The kind of a keyword (any case); -1 for another word.
int32_t PopulationKindOf(const std::string& keyword);
