#pragma once
// Registers the lake world's streamable classes (and the framework and engine classes below
// them) in the class registry. Every program and fixture that loads scene files with the lake
// world linked calls this first; a second call is harmless.

void RegisterGameWorldClasses();
