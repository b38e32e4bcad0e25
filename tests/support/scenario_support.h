// Helpers for tests that run scenarios through the real reader.
#pragma once

#include <string>

// Writes `text` as sinario.txt in the current directory and starts a new game
// on it (SinaFile set, reader run to its first stop).
void startScenario(const std::string& text);
