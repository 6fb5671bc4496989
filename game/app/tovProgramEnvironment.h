#pragma once
// What one run of the program sets up around the application and puts back when it ends: the
// settings file, the writable folder, the single-instance lock in that folder and how the
// player is asked when sound cannot start. The windowed program, the headless harness and
// the scenario tests all run inside one.

#include "IniConfigStore.h"
#include "InstanceLock.h"

#include <memory>
#include <string>

struct tovAppOptions;

class tovProgramEnvironment
{
public:
    static constexpr const char* kInstanceName = "TOV Tarnholm Demo";

    explicit tovProgramEnvironment(const tovAppOptions& options);
    ~tovProgramEnvironment();
    tovProgramEnvironment(const tovProgramEnvironment&) = delete;
    tovProgramEnvironment& operator=(const tovProgramEnvironment&) = delete;

    // False when another copy of the program runs on the same user folder.
    bool OwnsInstance() const { return m_lock.Held(); }
    const std::string& SettingsPath() const { return m_store->Path(); }

private:
    std::unique_ptr<plat::IniConfigStore> m_store;
    plat::InstanceLock m_lock;
};
