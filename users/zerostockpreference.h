#pragma once
// The goods list's zero-stock choice as the login finds it in the settings value "n0".
#include <optional>

class SettingsStore;

// True: hide goods with zero stock ("no"); false: list them all ("yes"); nothing for any other value,
// which leaves the list as it is.
std::optional<bool> zeroStockHiddenPreference(const SettingsStore &settings);
