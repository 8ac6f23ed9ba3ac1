// The battery and the mains supply, as /sys/class/power_supply reports them.
#include "platform/sys/power.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace lectra {

namespace {

// The first line of a small attribute file; empty when it cannot be read.
std::string ReadAttribute(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[64];
        const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
        std::fclose(f);
        text.assign(buf, n);
    }
    const size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos) text.resize(end);
    return text;
}

}  // namespace

PowerStatus ReadPowerStatus(const std::string& rootIn) {
    const std::string root = rootIn.empty() ? "/sys/class/power_supply" : rootIn;
    PowerStatus status;
    std::vector<std::string> names;
    if (DIR* dir = opendir(root.c_str())) {
        while (dirent* e = readdir(dir)) {
            if (e->d_name[0] != '.') names.emplace_back(e->d_name);
        }
        closedir(dir);
    }
    // Sorted, so that "BAT0" is the battery shown when there are two.
    std::sort(names.begin(), names.end());
    int haveBattery = 0, mainsOnline = 0;
    for (const std::string& name : names) {
        const std::string base = root + "/" + name + "/";
        const std::string type = ReadAttribute(base + "type");
        if (type == "Battery" && !haveBattery) {
            const std::string capacity = ReadAttribute(base + "capacity");
            if (capacity.empty()) continue;
            haveBattery = 1;
            status.batteryPercent = std::clamp(std::atoi(capacity.c_str()), 0, 100);
            const std::string state = ReadAttribute(base + "status");
            if (state == "Charging" || state == "Full") mainsOnline = 1;
        } else if (type == "Mains" || type == "USB") {
            if (ReadAttribute(base + "online") == "1") mainsOnline = 1;
        }
    }
    status.onMains = !haveBattery || mainsOnline;
    if (!haveBattery) status.batteryPercent = 100;
    return status;
}

}  // namespace lectra
