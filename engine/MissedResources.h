#pragma once
// The resource names the engine was asked for and could not find. Every miss
// of a look-up by name is noted here; each distinct name is kept once, in the
// order first missed, so a run can tell which names its skin lacks.
//
// Rules:
//  - When the environment variable below is set to anything but "" or "0"
//    at the first miss, each distinct name is also written once to the
//    engine log as: missed resource "<name>".
//  - Safe from any thread.

#include <string>
#include <string_view>
#include <vector>

inline constexpr char kMissedResourcesVariable[] = "PVBN_LOG_MISSED_RESOURCES";

void NoteMissedResource(std::string_view name);
// The distinct names missed so far, in the order first missed.
std::vector<std::string> MissedResourceNames();
// Forgets the names and reads the variable again at the next miss.
void ClearMissedResourcesForTesting();
