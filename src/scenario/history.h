// The history: the messages the player was shown and the choices they made,
// kept so they can be read again. Only the newest entries are kept.
#pragma once

#include <cstdint>

#include "scenario/engine_state.h"

constexpr int kHistoryEntries = 100;

struct HistoryEntry {
  bool chosen;                  // a confirmed choice; otherwise a message
  int32_t colour;               // MsgColor when it was shown
  char lines[4][kLineBytes];    // Msg1..Msg4 as laid out; a choice has its text in line 0
  uint32_t serial;              // 1 for the first entry since the last clear, then counting up
};

void historyAddMessage();         // the message lines as they stand; an empty message adds nothing
void historyAddChoice(int row);   // the text of choice row 0..5
int historyCount();
const HistoryEntry& historyEntry(int index);  // 0 = the oldest kept
uint32_t historySerial();         // serial of the newest entry added, 0 when none
void historyCutBackTo(uint32_t serial);  // forgets the entries added after that one
void historyClear();
