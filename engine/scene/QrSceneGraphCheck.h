#pragma once
// What a load checks of the scene graph it linked, and undoes when it fails. The world update
// and the draw recurse along the links each scene object names (AppendDescendLinks): a file
// whose links close a circle, or run deeper than the machine stack allows, is refused with a
// context naming the object. A failed load drops the links it made (ReleaseLinks) so that
// objects holding one another are freed. Register once; class registration does it.

#include <cstdint>

class QrObject;
class QrStream;

class QrSceneGraphCheck
{
public:
    // Deepest scene graph a file may hold; files are hostile and the game's deepest tree is
    // a few dozen levels, so a limit keeps every later walk bounded.
    static constexpr uint32_t kMaxDepth = 512;

    static void Register();
    // Walks without recursion; fails the stream at the first cycle or excess depth.
    static void Check(QrStream& stream);
    static void ReleaseLinks(QrObject* object);
};
