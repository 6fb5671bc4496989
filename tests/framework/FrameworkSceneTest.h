#pragma once
// Fixture of the framework's scene tests: the framework's classes registered, and the sample
// bass read once into memory so that each test cuts fresh models from it.

#include "QrTestFixture.h"

#include "QrAVObject.h"
#include "QrPointer.h"

#include <cstdint>
#include <string>
#include <vector>

class Qr3dsAnimationNode;

class FrameworkSceneTest : public QrEngineTest
{
protected:
    void SetUp() override;

    static std::string DataFile(const char* relative);
    // A new copy of the named node of the sample bass.
    QrPointer<QrAVObject> CutFromBass(const char* nodeName);
    // The animation node of that name below root.
    static Qr3dsAnimationNode* AnimationNode(QrObject* root, const char* name);

    std::vector<uint8_t> m_bass;
};
