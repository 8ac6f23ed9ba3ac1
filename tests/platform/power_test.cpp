// The battery and mains power as the power-supply folder reports them.
#include "platform/sys/power.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_support.h"

namespace lectra {
namespace {

TEST(Power, BatteryAndMainsFromThePowerSupplyFolder) {
    struct Supply {
        const char* name;
        const char* type;
        const char* capacity;
        const char* status;
        const char* online;
    };
    struct Case {
        std::vector<Supply> supplies;
        int percent, onMains;
    } cases[] = {
        {{}, 100, 1},  // a desktop: no battery
        {{{"AC", "Mains", "", "", "0"}, {"BAT0", "Battery", "42", "Discharging", ""}}, 42, 0},
        {{{"AC", "Mains", "", "", "1"}, {"BAT0", "Battery", "42", "Discharging", ""}}, 42, 1},
        {{{"BAT0", "Battery", "77", "Charging", ""}}, 77, 1},
        {{{"BAT0", "Battery", "250", "Discharging", ""}}, 100, 0},  // out of range, held
        {{{"BAT0", "Battery", "", "Discharging", ""}}, 100, 1},     // unreadable: as none
    };
    for (const Case& c : cases) {
        test::ScratchDir dir;
        for (const Supply& s : c.supplies) {
            const std::string folder = dir.path() + "/" + s.name;
            mkdir(folder.c_str(), 0755);
            dir.Write(std::string(s.name) + "/type", std::string(s.type) + "\n");
            if (*s.capacity)
                dir.Write(std::string(s.name) + "/capacity", std::string(s.capacity) + "\n");
            if (*s.status) dir.Write(std::string(s.name) + "/status", std::string(s.status) + "\n");
            if (*s.online) dir.Write(std::string(s.name) + "/online", std::string(s.online) + "\n");
        }
        const PowerStatus p = ReadPowerStatus(dir.path());
        EXPECT_EQ(p.batteryPercent, c.percent) << c.supplies.size();
        EXPECT_EQ(p.onMains, c.onMains) << c.supplies.size();
    }
}

}  // namespace
}  // namespace lectra
