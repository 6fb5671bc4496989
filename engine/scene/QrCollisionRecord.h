#pragma once
// One side of a collision query, as the traversal hands it down to geometry: the object named
// in contact reports, the object to test with its instance, how deep the box tree of this
// side is searched and the split size for building it.

#include <cstdint>

class QrAVInstance;
class QrAVObject;

class QrCollisionRecord
{
public:
    // Named as object A or B in the contacts found below this record; kept unchanged on the
    // way down the tree.
    QrAVObject* m_reportedObject = nullptr;
    QrAVObject* m_object = nullptr;
    // Levels of the box tree to descend; -1: down to the triangles.
    int32_t m_budget = -1;
    uint32_t m_splitSize = 0;
    QrAVInstance* m_instance = nullptr;
    // Set to -1 by the node; read by nothing in the engine.
    int32_t m_index = -1;
};
