#pragma once
// The fishing scene's sorter: it defers an object only while the display of its camera has a
// blending alpha property in force; everything else draws at once. The plants are colour-keyed
// and the terrain opaque, so only the water's layers and the wakes wait for the sort.

#include "QrAlphaSorter.h"

class tovAlphaOnlySorter : public QrAlphaSorter
{
public:
    // The factory the fishing world installs while its scene stands.
    static QrSorter* Create();

    bool AddObject(QrAVObject* object, QrAVInstance* instance) override;
};
