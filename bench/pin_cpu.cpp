#include "pin_cpu.h"

#include <sched.h>

#include <cstdlib>

int bench_cpu() {
    static const int cpu = [] {
        if (const char *chosen = std::getenv("VESK_BENCH_CPU"); chosen && *chosen) return std::atoi(chosen);
        cpu_set_t allowed;
        CPU_ZERO(&allowed);
        if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
            for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
                if (CPU_ISSET(cpu, &allowed)) return cpu;
        return 0;
    }();
    return cpu;
}

bool pin_to_bench_cpu() {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(bench_cpu(), &one);
    return sched_setaffinity(0, sizeof one, &one) == 0;
}
