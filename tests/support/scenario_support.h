// Helpers for tests that run scenarios through the real reader.
#pragma once

#include <string>
#include <vector>

#include "scenario/reader.h"
#include "scenario/scenario.h"
#include "support/test_support.h"

// Writes `text` as sinario.txt in the current directory and starts a new game
// on it (SinaFile set, reader run to its first stop).
inline void startScenario(const std::string& text) {
  writeFile("sinario.txt", text);
  setScenarioPath("sinario.txt");
  rOPGstartsina();
}

// Several engine values compared at once: EXPECT_EQ((Ints{a, b}), (Ints{1, 2})).
using Ints = std::vector<int>;

// What `action` prints on standard output: notices, refusals, debug lines.
template <class Action>
std::string stdoutOf(Action action) {
  testing::internal::CaptureStdout();
  action();
  return testing::internal::GetCapturedStdout();
}
