// What the benchmarks of the main window share: the same realistic tracks
// every run, a start in the Wine prefix's settings, and the clock.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "itdb_builder.h"

namespace benchmark {

constexpr int TrackCount = 40000;
using Clock = std::chrono::steady_clock;

// Albums of about twelve songs with mixed-case titles, types and rates.
std::vector<itdb::Track> Tracks();

// Writes a database of Tracks() to `path`, creating its folder; false, with
// a message on standard error, when that fails.
bool WriteDatabase(const std::string& path);

// Resets the settings with the first run behind, so no welcome question
// interrupts, and sets up the common controls the main window uses.
void PrepareWindowRun();

double SecondsSince(Clock::time_point start);

}  // namespace benchmark
