#pragma once

#include "tools/SampleData.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace benchsupport {

// The data folder `name` under the build's bench data, filled with `counts` by the
// sample-data tool's code when it is missing (once; kept for later runs). A folder
// whose filling did not finish is made again.
inline std::string sampleFolder(const std::string& name, const sample::Counts& counts) {
    std::string folder = std::string(EIP_BENCH_DATA) + "/" + name;
    std::string marker = folder + "/complete";
    if (std::filesystem::exists(marker))
        return folder;
    std::fprintf(stderr, "Making %s in %s (once; kept for later runs) ...\n", name.c_str(),
                 folder.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::string why;
    if (!sample::fill(
            folder, counts,
            [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }, why)) {
        std::fprintf(stderr, "%s could not be made: %s\n", name.c_str(), why.c_str());
        std::exit(1);
    }
    std::ofstream(marker) << name << "\n";
    return folder;
}

// The folder of a Customer file of `count` records ("customers-<count>"), made when
// missing; the benchmarks that read customers share it.
inline std::string customersFolder(std::int64_t count) {
    sample::Counts counts;
    counts.customers = count;
    return sampleFolder("customers-" + std::to_string(count), counts);
}

// The folder of an Item file of `count` items ("items-<count>"), made when missing.
inline std::string itemsFolder(std::int64_t count) {
    sample::Counts counts;
    counts.items = count;
    return sampleFolder("items-" + std::to_string(count), counts);
}

// The process's resident memory in kilobytes (VmRSS), 0 when it cannot be read.
inline std::int64_t residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atoll(line.c_str() + 6);
    return 0;
}

} // namespace benchsupport
