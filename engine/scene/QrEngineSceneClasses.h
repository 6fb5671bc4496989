#pragma once
// Registers the classes of the scene layer and of the layers below it.

void RegisterEngineSceneClasses();
