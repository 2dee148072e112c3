#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#ifdef __linux__
#include <sched.h>
#endif

#include "platform/cpu_count.h"

namespace torvel {

namespace {

#ifdef __linux__
// The CPUs a cgroup v2 quota ("QUOTA PERIOD" in microseconds, or "max")
// allows, rounded up: 150000 100000 is one and a half CPUs, worth two
// threads. 0 when there is no quota.
size_t QuotaCpus() {
    std::FILE* f = std::fopen("/sys/fs/cgroup/cpu.max", "r");
    if (f == nullptr) return 0;
    char quota[32] = {};
    unsigned long long period = 0;
    const bool read = std::fscanf(f, "%31s %llu", quota, &period) == 2;
    std::fclose(f);
    if (!read || period == 0 || std::strcmp(quota, "max") == 0) return 0;
    const unsigned long long micros = std::strtoull(quota, nullptr, 10);
    return micros == 0 ? 0 : static_cast<size_t>((micros + period - 1) / period);
}
#endif

}  // namespace

size_t UsableCpus() {
    size_t cpus = std::thread::hardware_concurrency();
#ifdef __linux__
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) cpus = static_cast<size_t>(CPU_COUNT(&set));
    if (const size_t quota = QuotaCpus(); quota != 0) cpus = std::min(cpus, quota);
#endif
    return std::max<size_t>(cpus, 1);
}

}  // namespace torvel
