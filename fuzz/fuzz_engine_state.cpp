// Placeholder target so the fuzz build has something to run until the
// parsers' targets land.
#include <cstddef>
#include <cstdint>

#include "scenario/engine_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0) engineStateClear();
  (void)data;
  return 0;
}
