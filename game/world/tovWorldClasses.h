#pragma once
// Registers the streamable classes the lake world's scenes use (the framework's and the
// engine's below them). Every program and fixture that loads lake scene files calls it first;
// a second call is harmless. The world's own scene classes (scene root, quad tree, cutouts,
// water) are built in code and never read from a scene file.

void RegisterGameWorldClasses();
