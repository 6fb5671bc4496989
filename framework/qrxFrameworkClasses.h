#pragma once
// Registers the framework's streamable classes (and the engine classes below them) in the
// class registry. Static libraries drop unreferenced objects, and with them static
// registrations, so every program and fixture that loads scene files calls this first.
// A second call is harmless.

void RegisterFrameworkClasses();
