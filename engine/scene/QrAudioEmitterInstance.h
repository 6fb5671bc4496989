#pragma once
// The world record of an audio emitter under one parent, with what the 3D-audio component
// keeps per placed sound. Owned by the emitter's instance array like every world record.

#include "QrAVInstance.h"

#include <cstdint>

class QrAudioEmitterInstance : public QrAVInstance
{
public:
    // Set by every world update: the component's source needs the new position.
    uint8_t m_changed = 0;
    uint8_t m_secondFlag = 1;
    // The component's sound source for this record; 0 = none.
    uint32_t m_sourceHandle = 0;
};
