// The history is a ring of fixed entries: reading never allocates, and the
// oldest entry makes room for the newest.
#include "scenario/history.h"

#include <cstring>

namespace {

HistoryEntry ring[kHistoryEntries];
int oldest;          // ring index of entry 0
int count;
uint32_t lastSerial;

HistoryEntry& append() {
  if (count == kHistoryEntries) {
    oldest = (oldest + 1) % kHistoryEntries;
    --count;
  }
  HistoryEntry& e = ring[(oldest + count++) % kHistoryEntries];
  std::memset(&e, 0, sizeof e);
  e.serial = ++lastSerial;
  e.colour = MsgColor;
  return e;
}

}  // namespace

void historyAddMessage() {
  bool empty = true;
  for (int k = 0; k < 4; k++) empty = empty && messageLine(k)[0] == 0;
  if (empty) return;
  HistoryEntry& e = append();
  for (int k = 0; k < 4; k++) std::memcpy(e.lines[k], messageLine(k), kLineBytes);
}

void historyAddChoice(int row) {
  HistoryEntry& e = append();
  e.chosen = true;
  std::memcpy(e.lines[0], selectLine(row), kLineBytes);
}

int historyCount() { return count; }

const HistoryEntry& historyEntry(int index) { return ring[(oldest + index) % kHistoryEntries]; }

uint32_t historySerial() { return lastSerial; }

void historyCutBackTo(uint32_t serial) {
  while (count > 0 && historyEntry(count - 1).serial > serial) --count;
  if (serial < lastSerial) lastSerial = serial;
}

void historyClear() {
  oldest = count = 0;
  lastSerial = 0;
}
