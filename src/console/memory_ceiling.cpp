#include "console/memory_ceiling.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace expreval {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

uint64_t PhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

// The memory.max of the control group (version 2) the process runs in; 0
// when there is none or it says "max".
uint64_t ControlGroupLimit() {
    std::ifstream file("/sys/fs/cgroup/memory.max");
    std::string text;
    if (!(file >> text) || text.empty() || text == "max")
        return 0;
    try {
        return std::stoull(text);
    } catch (...) {
        return 0;
    }
}

}  // namespace

uint64_t ChooseMemoryCeiling(uint64_t physical, uint64_t groupLimit, uint64_t currentLimit) {
    uint64_t machine = physical;
    if (groupLimit != 0 && (machine == 0 || groupLimit < machine))
        machine = groupLimit;
    if (machine == 0)
        return currentLimit;
    return std::min(machine / kMemoryShareDenominator * kMemoryShareNumerator, currentLimit);
}

void ApplyMemoryCeiling() {
    if (kAddressSanitizer)
        return;
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0)
        return;
    const uint64_t current = limit.rlim_cur == RLIM_INFINITY ? UINT64_MAX : limit.rlim_cur;
    const uint64_t ceiling = ChooseMemoryCeiling(PhysicalMemory(), ControlGroupLimit(), current);
    if (ceiling >= current)
        return;
    limit.rlim_cur = static_cast<rlim_t>(ceiling);
    setrlimit(RLIMIT_AS, &limit);  // if refused, the console runs as before
}

}  // namespace expreval
