#pragma once
// Runs scene-file bytes the way the game does: load, then a few frames of animation steps and
// world updates, each drawn through the file's cameras (or a camera on each scene root when
// the file has none) into a recording renderer; then releases everything. Corruption tests
// put every input through it and check that the engine's live-object count and the animation
// list come back where they started.

#include <cstdint>
#include <string>
#include <vector>

struct SceneRunOptions
{
    uint32_t frames = 3;
    float frameSeconds = 0.5f;
};

struct SceneRun
{
    bool loaded = false;
    uint32_t errorCode = 0;
    std::string errorContext;
    uint32_t framesDrawn = 0;
    // Renderer calls that drew geometry, over all frames.
    size_t drawCalls = 0;
    // Live engine objects and animated objects on the timing list after the run, less before.
    int64_t objectsLeft = 0;
    int64_t timedObjectsLeft = 0;
    double loadSeconds = 0.0;
    // The slowest frame (animation step, world update and draw).
    double slowestFrameSeconds = 0.0;

    // Nothing stayed behind.
    bool Clean() const { return objectsLeft == 0 && timedObjectsLeft == 0; }
};

SceneRun RunSceneBytes(const std::vector<uint8_t>& bytes, const SceneRunOptions& options = {});
