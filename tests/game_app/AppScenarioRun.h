#pragma once
// Runs the game headless in the test's process, as the program's --headless does, and keeps
// the digest and the picture of chosen frames. Each run gets a quiet debug sink; the user
// folder and the data tree come from the test.

#include "tovAppOptions.h"

#include "GoldenImage.h"

class tovApp;

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct AppScenarioResult
{
    int exitCode = -1;
    bool quit = false;
    uint32_t frames = 0;
    std::string digest;
    std::string error;
    // After the frames asked for: the digest and the presented picture.
    std::map<uint32_t, std::string> digests;
    std::map<uint32_t, golden::RgbImage> pictures;
    // A hash of every frame's picture, in order.
    std::vector<uint64_t> frameHashes;
};

// Options for the test's folders: the sample data, a user folder, the script (a file in
// tests/game_app/scripts, or none) and the frame count.
tovAppOptions ScenarioOptions(const std::string& userDir, const std::string& script, uint32_t frames,
                              int32_t screen = 0);
// onFrame runs after each frame's records, before the next frame (a test's fast-forward).
AppScenarioResult RunScenario(const tovAppOptions& options, const std::vector<uint32_t>& capture = {},
                              const std::function<void(tovApp&, uint32_t frame)>& onFrame = {});

// The value of a "name value" line of a digest; empty when there is none.
std::string DigestField(const std::string& digest, const std::string& name);
