// Scenario text is Shift-JIS (code page 932); the authoring tools show it in
// UTF-8 and check where it stops being valid.
#pragma once

#include <cstddef>
#include <string>

// The UTF-8 form of cp932 bytes. Bytes that are not valid cp932 become
// U+FFFD, control bytes a space, so the result is always safe to print.
std::string cp932ToUtf8(const std::string& bytes);

// The cp932 form of UTF-8 text; false when a character has none.
bool utf8ToCp932(const std::string& utf8, std::string& out);

// Length (1 or 2) of the valid cp932 character at text[at], or 0 when the
// bytes there are not one: a byte no character starts with, a lead byte
// without its trail byte, or a pair that the code page leaves unassigned.
size_t cp932CharLength(const std::string& text, size_t at);
