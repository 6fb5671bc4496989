#pragma once
// Registers every class of the engine_animation library in the class registry (and the
// engine_core classes it builds on). Static libraries drop unreferenced objects, and with
// them static registrations, so every program and fixture that loads animated scene files
// calls this first. A second call is harmless.

void RegisterEngineAnimationClasses();
