// Message and choice statements.
#include <cstdlib>
#include <cstring>

#include "display/display.h"
#include "scenario/engine_state.h"
#include "scenario/history.h"
#include "scenario/message_layout.h"
#include "scenario/seen_text.h"
#include "scenario/rollback.h"
#include "scenario/statements.h"
#include "text/text.h"

namespace {

constexpr int kChoiceRows = 6;
constexpr size_t kChoiceText = 26;

}  // namespace

int32_t stmtMsgColor(const char* arg) {
  MsgColor = std::atoi(arg);
  return 0;
}

int32_t stmtMsgFont(const char* arg) {
  MsgFont = std::atoi(arg);
  fontread();
  return 0;
}

int32_t stmtMsg(const char* arg) {
  gSaveFlag = 0;
  char lines[kMessageLines][kLineBytes];
  layoutMessage(arg, lines);
  for (int k = 0; k < kMessageLines; k++) std::memcpy(messageLine(k), lines[k], kLineBytes);
  historyAddMessage();
  rGame(cgChange);
  seenTextNoteShown();
  noteWaitingStatement();
  return NoWait ? 0 : 1;
}

int32_t stmtSelectMode(const char* arg) {
  SelectMode = std::atoi(arg) == 1 ? 1 : 0;
  for (int k = 0; k < kMessageLines; k++) std::memset(messageLine(k), 0, kLineBytes);
  for (int k = 0; k < kChoiceRows; k++) std::memset(selectLine(k), 0, kLineBytes);
  std::memset(SelectGoto, 0, sizeof SelectGoto);
  SelectNow = -1;
  return 0;
}

int32_t stmtSelectMsg(const char* arg) {
  for (int k = 0; k < kChoiceRows; k++) {
    char* line = selectLine(k);
    if (line[0] != 0) continue;
    // Cut at byte 26 even inside a double-byte character; the rest is zero.
    std::memset(line, 0, kLineBytes);
    std::memcpy(line, arg, strnlen(arg, kChoiceText));
    return 0;
  }
  return 0;
}

int32_t stmtSelectGoto(const char* arg) {
  for (int32_t& target : SelectGoto) {
    if (target == 0) {
      target = std::atoi(arg);
      break;
    }
  }
  return 0;
}
