#pragma once
// Registers the classes of the engine's object layer in the class registry.

void RegisterEngineObjectClasses();
