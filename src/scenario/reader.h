// Limits of the scenario reader.
#pragma once

// Deepest nesting of reader calls made by jump statements within one step.
constexpr int kMaxJumpDepth = 1000;

// SinaFile = pg_workdir followed by name, cut to fit.
void setScenarioPath(const char* name);
