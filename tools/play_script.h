// The key list and the state dump of `tavino-tool play`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PlayStep {
  enum Kind { kKey, kMouse, kJoy, kSleep, kQuit, kHold, kRelease } kind;
  int value;  // SDL key symbol, mouse button, joystick button or milliseconds
  unsigned modifier = 0;  // kHold, kRelease: the KMOD_ bit of the key
};

// Set by drivers built on `play` (the soak): how long to wait for a busy
// player before going on (default 10 s), and a call as each step is taken.
extern uint32_t gPlaySettleLimitMs;
extern void (*gPlayStepHook)(size_t stepsTaken);

// Parses "enter,down,joy:13,sleep:500,quit". False with a message on an
// unknown or malformed entry.
bool parsePlayKeys(const std::string& list, std::vector<PlayStep>& steps, std::string& error);

// Writes the engine state as name=value lines, one per variable, in a fixed
// order that authors' regression tests rely on. False on a write error.
bool writeStateDump(const std::string& path);
