#pragma once
// The process's memory as Linux reports it, for benchmarks that show what a run holds.

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace benchmem {

// A field of /proc/self/status in kB (VmHWM: peak resident memory; VmRSS: resident now).
inline double StatusKb(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    double value = 0;
    const size_t len = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, len) == 0 && line[len] == ':')
            value = std::strtod(line + len + 1, nullptr);
    std::fclose(f);
    return value;
}

// Starts the peak resident size again from what the process holds now, so that a benchmark can
// report its own peak.
inline void ResetPeak()
{
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

} // namespace benchmem
