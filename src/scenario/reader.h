// Limits of the scenario reader.
#pragma once

#include <cstdint>

// Deepest nesting of reader calls made by jump statements within one step.
constexpr int kMaxJumpDepth = 1000;
// The limit in force: kMaxJumpDepth, lowered by the fuzz harness to keep
// each input fast.
extern int32_t gJumpDepthLimit;

// SinaFile = pg_workdir followed by name, cut to fit.
void setScenarioPath(const char* name);

// Reader steps finished so far: a change tells observers (automatic reading)
// that the scenario has reached a new stop.
extern uint32_t gReaderSteps;
