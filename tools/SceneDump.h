#pragma once
// What qrfdump does, as functions that tests can call with their own classes registered.
// Each returns the process exit status: 0, or 1 when the file does not load (the stream's
// error goes to err).

#include "QrPointer.h"

#include <cstdio>

class QrAVObject;
class QrCamera;

namespace qrfdump
{

// A camera outside the scene that sees the whole of root's world bound, looking mostly down -z
// from a little to the right and above.
QrPointer<QrCamera> FramingCamera(QrAVObject* root);

// Prints the version and every loaded object in file order: a '*' on top-level ones, the
// link id the file gave it, the class and the name; then, after "tree", each top-level
// positioned object that has no parent with its subtree, indented two spaces a level (class,
// name, local translation; a leaf under several parents is shown under each and marked
// shared). On a failed load: "error N: message", then the context on a second line.
int DumpSceneFile(const char* path, std::FILE* out, std::FILE* err);
// Draws one frame of the scene through a recording renderer (640 x 480) and prints the camera
// used, then the renderer's calls one a line. The camera is the first in the file, drawing its
// own scene root (or the first top-level tree when it has none); without one, a camera looks
// at the world bound of the first top-level tree from three radii away.
int RenderSceneFrame(const char* path, std::FILE* out, std::FILE* err);
// Loads in and saves its top-level objects (and the actions it started) as out.
int RoundTripSceneFile(const char* in, const char* out, std::FILE* err);

} // namespace qrfdump
