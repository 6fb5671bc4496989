#pragma once
// The load screen (14): lists the saved games and loads the picked one into the fishing mode.
#include "tovSaveListIFace.h"

class tovLoadGameIFace : public tovSaveListIFace
{
public:
    tovLoadGameIFace();
    ~tovLoadGameIFace() override;
    // The one instance, or null.
    static tovLoadGameIFace* GetInstance();

    int32_t Update(float now, float elapsed) override;

private:
    void OnAction() override;
    void HandleKeys();
    static bool ReportHeaderError(int32_t answer, uintptr_t argument);
};
