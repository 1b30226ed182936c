#pragma once
// What this process holds in memory, as the kernel counts it, for tests and benchmarks that
// show that memory stays bounded.

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

// Kilobytes of a line of /proc/self/status: "VmRSS:" (resident now), "VmHWM:" (resident at
// most); -1 where the line is missing.
inline long ProcessStatusKiB(const char* Key) {
    std::ifstream Status("/proc/self/status");
    for (std::string Line; std::getline(Status, Line);)
        if (Line.rfind(Key, 0) == 0) return std::atol(Line.c_str() + std::strlen(Key));
    return -1;
}

inline long ResidentKiB() {
    return ProcessStatusKiB("VmRSS:");
}
