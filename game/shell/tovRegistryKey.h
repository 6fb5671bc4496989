#pragma once
// The installation's settings key, shared by the configuration reader and the profile.

inline constexpr const char* kTovRegistryKey = "software\\Harrowlake\\TOV Demo";
