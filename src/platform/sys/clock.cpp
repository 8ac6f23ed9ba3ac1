// Time: the monotonic tick count in milliseconds, sleeping, the local time.
#include "platform/sys/clock.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lectra {

uint32_t TickCount() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

void SleepMs(uint32_t milliseconds) {
    timespec ts{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}

void LocalTime(int* hour, int* minute) {
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    *hour = local.tm_hour;
    *minute = local.tm_min;
}

void LocalDate(int* year, int* month, int* day) {
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    *year = local.tm_year + 1900;
    *month = local.tm_mon + 1;
    *day = local.tm_mday;
}

int64_t MillisecondsSinceProcessStart() {
    FILE* f = std::fopen("/proc/self/stat", "rb");
    if (!f) return -1;
    char buf[1024];
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = 0;
    // The command name may hold spaces and parentheses; the fields count from the last ')'.
    const char* p = std::strrchr(buf, ')');
    if (!p) return -1;
    unsigned long long start = 0;
    int field = 2;
    for (const char* q = p + 1; *q && field < 22; ++q) {
        if (*q == ' ') {
            ++field;
            if (field == 22) start = std::strtoull(q + 1, nullptr, 10);
        }
    }
    const long hz = sysconf(_SC_CLK_TCK);
    timespec ts;
    if (field != 22 || hz <= 0 || clock_gettime(CLOCK_BOOTTIME, &ts) != 0) return -1;
    const int64_t nowMs = static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
    return nowMs - static_cast<int64_t>(start * 1000 / static_cast<unsigned long long>(hz));
}

}  // namespace lectra
