// The benchmark program's registry: each bench file registers its scenarios, and
// `padbox_bench [name...]` runs them all or those named.
#pragma once

#include <string>

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

// Shuts the program down, returns to the benchmark's own folder and removes the copy.
void leaveStage(const std::string& stage);
