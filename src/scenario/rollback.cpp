// The one place that knows what a stop records: the engine variables listed
// below, copied byte for byte, and what cannot be copied back as bytes (the
// reader's place in its file, the sound channels, the length of the history).
#include "scenario/rollback.h"

#include <cstdio>
#include <cstring>

#include "display/composition_memo.h"
#include "display/display.h"
#include "main/reading_comforts.h"
#include "scenario/channel_sounds.h"
#include "scenario/engine_state.h"
#include "scenario/history.h"
#include "text/text.h"

namespace {

struct Recorded {
  void* at;
  size_t size;
};

template <typename T>
constexpr Recorded recorded(T& variable) {
  return {&variable, sizeof variable};
}

constexpr Recorded kRecorded[] = {
    recorded(gFlag1), recorded(gFlag8), recorded(gFlag16), recorded(gFlag32),
    recorded(gFlag1Now), recorded(gFlag8Now), recorded(gFlag16Now), recorded(gFlag32Now),
    recorded(HaikeiCG), recorded(HaikeiCGtype), recorded(KoukeiCG), recorded(KoukeiCGtype),
    recorded(ZenkeiCG), recorded(ZenkeiCGtype), recorded(CharaCG), recorded(CharaCGtype),
    recorded(CharaIchi), recorded(FaceCG), recorded(CgBright), recorded(CgBrighttype),
    recorded(cgChange),
    recorded(Msg1), recorded(Msg2), recorded(Msg3), recorded(Msg4),
    recorded(SelectMsg1), recorded(SelectMsg2), recorded(SelectMsg3), recorded(SelectMsg4),
    recorded(SelectMsg5), recorded(SelectMsg6), recorded(SelectGoto), recorded(SelectMode),
    recorded(SelectNow), recorded(MsgColor), recorded(MsgFont),
    recorded(SystemSizeW), recorded(SystemSizeH), recorded(KisyuMode), recorded(SystemMode),
    recorded(SceneNum), recorded(siori), recorded(gSaveFlag), recorded(KeyWait), recorded(NoWait),
    recorded(SinaFile),
    // The picture area the text was placed by; a window of the design size
    // keeps whatever an earlier scaling left here.
    recorded(resizeX), recorded(resizeY),
};

constexpr size_t recordedBytes() {
  size_t n = 0;
  for (const Recorded& r : kRecorded) n += r.size;
  return n;
}

struct Stop {
  uint8_t engine[recordedBytes()];
  long position;            // the reader's place in SinaFile; -1 with no file open
  ChannelSound sound[2];
  uint32_t historySerial;
};

// A ring of fixed stops: recording never allocates.
Stop stops[kRollbackStops];
int oldest, count;
bool atNewestStop;  // the player waits at the newest recorded stop

void take(Stop& s) {
  uint8_t* p = s.engine;
  for (const Recorded& r : kRecorded) {
    std::memcpy(p, r.at, r.size);
    p += r.size;
  }
  s.position = pSinaFile ? std::ftell(pSinaFile) : -1;
  for (int c = 0; c < 2; c++) s.sound[c] = channelSound(c + 1);
  s.historySerial = historySerial();
}

void reopenScenario(long position) {
  if (pSinaFile) std::fclose(pSinaFile);
  pSinaFile = nullptr;
  if (position < 0 || SinaFile[0] == 0) return;
  pSinaFile = std::fopen(SinaFile, "rb");
  // A file that cannot be found again is opened afresh by the reader.
  if (pSinaFile && std::fseek(pSinaFile, position, SEEK_SET) != 0) {
    std::fclose(pSinaFile);
    pSinaFile = nullptr;
  }
}

void restore(const Stop& s) {
  const int32_t fontShown = MsgFont;
  const uint8_t* p = s.engine;
  for (const Recorded& r : kRecorded) {
    std::memcpy(r.at, p, r.size);
    p += r.size;
  }
  reopenScenario(s.position);
  if (MsgFont != fontShown) fontread();
  for (int c = 0; c < 2; c++) bringBackChannelSound(c + 1, s.sound[c]);
  historyCutBackTo(s.historySerial);

  if (cgChange != 0) {
    rGame(1);
  } else {
    // Before the first picture statement nothing was ever composed: the stop
    // showed the scene buffer as the program started.
    std::memset(gHaikeiBits, 0, kFrameBytes);
    forgetComposition();
    cashok = 0;
    rGame(0);
  }
}

Stop& slot(int index) { return stops[(oldest + index) % kRollbackStops]; }

}  // namespace

void noteWaitingStatement() {
  if (NoWait != 0) return;  // the statement does not stop the reader
  // The reader sets this as it stops; the stop records it as it will stand.
  KeyWait = 1;
  if (count == kRollbackStops) {
    oldest = (oldest + 1) % kRollbackStops;
    --count;
  }
  take(slot(count++));
  atNewestStop = true;
}

void noteReaderRuns() { atNewestStop = false; }

bool rollBackOneStop() {
  const int back = atNewestStop ? 1 : 0;
  if (count - back < 1) return false;
  count -= back;
  stopSkipAndAutoRead();
  restore(slot(count - 1));
  atNewestStop = true;
  return true;
}

int rollbackStepsAvailable() {
  const int steps = count - (atNewestStop ? 1 : 0);
  return steps > 0 ? steps : 0;
}

bool rollbackAtNewestStop() { return atNewestStop; }

void clearHistoryAndRollback() {
  oldest = count = 0;
  atNewestStop = false;
  historyClear();
}
