// The layout of a message text into the four message lines: double-byte
// characters on even offsets, 24 bytes a line, a closing mark that would
// open a line of its own hung at the end of the line above.
#pragma once

#include <cstddef>

#include "scenario/engine_state.h"

constexpr int kMessageLines = 4;
constexpr int kMessageLineText = 24;  // twelve double-byte cells
// Texts are cut to this many bytes before the layout; statements carry at
// most 102, and only the first 96 laid-out bytes are ever shown.
constexpr size_t kMessageTextMax = 320;

// Lead bytes of message text (a narrower range than the glyph drawer knows).
inline bool isMessageLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF); }

// Writes all 27 bytes of each of the four lines. Returns the length of the
// aligned text: bytes past 96 are not shown.
size_t layoutMessage(const char* text, char lines[kMessageLines][kLineBytes]);
