#pragma once
// Models come out of scene files: the named node of a file (on disk, or read once into memory
// and parsed as often as needed), cut from the loaded scene and handed out with a reference of
// its own; the rest of the file is let go.

#include "QrNode.h"
#include "QrPointer.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// The first top-level node whose subtree holds an object of that name decides; within it the
// first match of a depth-first walk. Null when the file does not load or holds no such object.
QrPointer<QrAVObject> LoadSceneObject(const char* path, const char* nodeName);
QrPointer<QrAVObject> LoadSceneNode(const uint8_t* bytes, size_t count, const char* nodeName);

// The whole file; null and size 0 for an empty or unreadable file.
std::unique_ptr<uint8_t[]> LoadFileToMemory(const char* path, size_t& size);
