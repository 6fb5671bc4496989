#pragma once
// The kitchen-sink scene: one camera over one tree that holds an object of every concrete class
// in the class registry, and what the check of that promise is built from.

#include <string>
#include <vector>

class QrObject;

namespace gen
{

// Relative to the data root.
inline constexpr const char* kKitchenSinkFile = "Data/Engine/kitchen_sink.qrf";

// Every registered class whose create function makes an object, in name order. It makes one
// object of each: those that join a program-wide list (skin bindings) stay there.
std::vector<std::string> ConcreteRegisteredClasses();
// The class a scene file stores the object under: its own, or the nearest registered base for
// classes that are never registered (the renderer's images); null when none is registered.
const char* StoredClassName(const QrObject* object);

} // namespace gen
