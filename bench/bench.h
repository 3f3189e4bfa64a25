// The benchmark program's registry: each bench file registers its scenarios, and
// `padbox_bench [--short] [name...]` runs them all or those named.
#pragma once

#include <string>

// The short run (--short): every scenario once with as little work as still takes
// each of its paths, so that a test sees it run to its end. Its figures mean nothing.
extern bool benchShort;

// A count or length for the run: full normally, brief in the short run.
template <typename T>
T scaled(T full, T brief)
{
    return benchShort ? brief : full;
}

using BenchFunction = void (*)();

// Registers a scenario; returns true so it can initialise a file-scope constant.
bool registerBench(const char* name, BenchFunction run);

// Seconds since an arbitrary start, from a monotonic clock.
double nowSeconds();

// Prints one figure: "name: value unit".
void report(const std::string& name, double value, const char* unit);

// Starts the program inside this process in a fresh copy of the stage, which becomes
// the working folder, with the given drivers; "disk" audio is written into the copy
// as fast as it is mixed. Returns the copy.
std::string enterStage(const char* videoDriver, const char* audioDriver = "dummy");

// Queues a pointer motion to the middle of pad 0, where the presses of a scenario land.
void pointAtFirstPad();

// Shuts the program down, returns to the benchmark's own folder and removes the copy.
void leaveStage(const std::string& stage);
