// The battery and the mains supply, as /sys/class/power_supply reports them.
#pragma once
#include <string>

namespace lectra {

struct PowerStatus {
    int batteryPercent = 100;
    int onMains = 1;
};

// Reads the first battery's charge and whether a mains supply is online. Without a battery the
// machine runs on mains at 100 percent. `root` is the power-supply folder (the system's when
// empty), so that a test can hand in its own.
PowerStatus ReadPowerStatus(const std::string& root = std::string());

}  // namespace lectra
