#pragma once
// Registers every class of the engine's object, scene and geometry layers in the class
// registry. Static libraries drop unreferenced objects, and with them static registrations,
// so every program and fixture that loads scene files calls this first. A second call is
// harmless.

void RegisterEngineCoreClasses();
