// Knobs of the flow statements that harnesses may turn.
#pragma once

#include <cstdint>

// Longest timed wait (WAIT) that is honoured, in milliseconds. The default
// only keeps the deadline inside the 32-bit tick counter; the fuzz harness
// lowers it so that a scenario cannot stall it.
extern uint32_t gWaitLimitMs;
