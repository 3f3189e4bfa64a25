#include "bench/bench.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

bool benchShort;

namespace
{
const char kShortOption[] = "--short";

struct Bench
{
    const char* name;
    BenchFunction run;
};

std::vector<Bench>& benches()
{
    static std::vector<Bench> all;
    return all;
}

// Every scenario when none is named.
bool wanted(const char* name, const std::vector<const char*>& names)
{
    if (names.empty())
        return true;
    for (const char* each : names)
        if (strcmp(each, name) == 0)
            return true;
    return false;
}
} // namespace

bool registerBench(const char* name, BenchFunction run)
{
    benches().push_back({name, run});
    return true;
}

double nowSeconds()
{
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

void report(const std::string& name, double value, const char* unit)
{
    printf("  %-52s %12.3f %s\n", name.c_str(), value, unit);
    fflush(stdout);
}

int main(int argc, char** argv)
{
    std::vector<const char*> names;
    for (int i = 1; i < argc; ++i)
    {
        if (strcmp(argv[i], kShortOption) == 0)
            benchShort = true;
        else
            names.push_back(argv[i]);
    }
    for (const Bench& bench : benches())
    {
        if (!wanted(bench.name, names))
            continue;
        printf("%s\n", bench.name);
        bench.run();
    }
    return 0;
}
