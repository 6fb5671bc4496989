#pragma once
// The save screen (15): saves the running game under a name the player types or picks, asking
// before it overwrites a saved game.
#include "tovSaveListIFace.h"

class qrxTextEditor;

class tovSaveGameIFace : public tovSaveListIFace
{
public:
    static constexpr int32_t kMaxName = 260;

    tovSaveGameIFace();
    ~tovSaveGameIFace() override;
    // The one instance, or null.
    static tovSaveGameIFace* GetInstance();

    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Tab, the arrows and Return arrive from the name field before it types them.
    bool OnEditorMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    qrxTextEditor* GetNameField() const { return m_nameField.get(); }

private:
    void OnAction() override;
    void OnPicked() override;
    void SaveTo(const std::string& path);
    static bool ConfirmOverwrite(int32_t answer, uintptr_t argument);

    std::unique_ptr<qrxTextEditor> m_nameField;
    std::string m_path;
};
