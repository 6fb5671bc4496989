#pragma once
// The model files the fish, lures and casting target are built from: each file in the data
// folder is read once into memory and kept; every object then parses its own copy of the
// named node from those bytes. A file that cannot be read is remembered as such.

#include "QrNode.h"
#include "QrPointer.h"

#include <cstddef>

class tovModelFileCache
{
public:
    // The named node of the data file as a node of its own; null when the file cannot be read
    // or holds no node of that name.
    static QrPointer<QrNode> LoadNode(const char* file, const char* node);
    // How many files are held (read or found unreadable).
    static size_t GetFileCount();
    // Lets go of every file (program exit, test fixtures).
    static void Clear();
};
