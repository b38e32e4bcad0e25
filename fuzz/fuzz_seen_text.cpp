// Seen-text files as they come: whatever parses must compose into a file
// that parses to the same marks, and anything else leaves no marks.
#include <cstddef>
#include <cstdint>
#include <string>

#include "scenario/seen_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  SeenMarks marks;
  if (!seenTextParse(bytes, marks)) {
    if (!marks.empty()) __builtin_trap();
    return 0;
  }
  SeenMarks again;
  if (!seenTextParse(seenTextCompose(marks), again) || again != marks) __builtin_trap();
  return 0;
}
