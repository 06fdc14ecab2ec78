#pragma once
// Small helpers shared by the benchmark programs.

#include <fstream>
#include <string>

namespace horalog::bench {

// A field of /proc/self/status in kB ("VmRSS:" resident now, "VmHWM:" peak).
inline long StatusKb(const char* field = "VmRSS:") {
    std::ifstream f("/proc/self/status");
    std::string line;
    const std::string name(field);
    while (std::getline(f, line))
        if (line.rfind(name, 0) == 0) return std::stol(line.substr(name.size()));
    return 0;
}

inline long ResidentKb() { return StatusKb("VmRSS:"); }
inline long PeakRssMb() { return StatusKb("VmHWM:") / 1024; }

}  // namespace horalog::bench
