#pragma once
// The framework's sample model: a largemouth bass that swims on a looping clip, a quicker dart
// clip for the same nodes in a file of its own, a fishing line in its mouth and the numbered
// frames of its shimmering skin.

namespace gen
{

// Relative to the data root.
inline constexpr const char* kBassFile = "Data/Framework/Bass/bass.qrf";
inline constexpr const char* kBassDartFile = "Data/Framework/Bass/bass_dart.qrf";
// The base picture; frames 00 to 07 are named from it.
inline constexpr const char* kBassSkinFile = "Data/Framework/Bass/bass_skin.bmp";
inline constexpr int kBassSkinFrames = 8;
// One swim stroke, and the dart's.
inline constexpr float kBassSwimPeriod = 1.0f;
inline constexpr float kBassDartPeriod = 0.5f;

} // namespace gen
