#include "main/reading_comforts.h"

#include <cstdio>

#include "display/display.h"
#include "display/overlays.h"
#include "main/platform.h"
#include "main/sdl_state.h"
#include "main/startup.h"
#include "scenario/engine_state.h"
#include "scenario/message_layout.h"
#include "scenario/reader.h"
#include "scenario/seen_text.h"

bool gTabSkip;
bool gAutoRead;

namespace {

constexpr uint8_t kAdvance = 101;
constexpr uint32_t kAutoBaseMs = 1000, kAutoPerCharacterMs = 50;
constexpr char kSkipLabel[] = "SKIP", kAutoLabel[] = "AUTO";

bool gCtrlStopped;          // Ctrl skip stopped until Ctrl is released
bool gMenuWasOpen;
uint32_t gStepsSeen;        // gReaderSteps when the current stop was noticed
uint32_t gAutoDeadline;

bool ctrlHeld() { return (platformModifiers() & KMOD_CTRL) != 0; }
bool ctrlSkipping() { return ctrlHeld() && !gCtrlStopped; }

// Characters in the message window; a double-byte character counts one.
uint32_t messageCharacters() {
  uint32_t n = 0;
  for (int line = 0; line < 4; line++) {
    const uint8_t* t = reinterpret_cast<const uint8_t*>(messageLine(line));
    for (int i = 0; i < kLineBytes && t[i]; i++, n++) {
      if (isMessageLeadByte(t[i]) && i + 1 < kLineBytes && t[i + 1]) i++;
    }
  }
  return n;
}

void restartAutoTimer(uint32_t now) {
  gStepsSeen = gReaderSteps;
  gAutoDeadline = now + kAutoBaseMs + kAutoPerCharacterMs * messageCharacters();
}

bool waitingForAdvance() { return menumode == 0 && KeyWait != 0 && NoWait == 0 && SelectMode != 1; }

bool scenarioEnded() { return !pSinaFile || std::feof(pSinaFile); }

const char* wantedLabel() {
  if (menumode != 0) return nullptr;
  if (skipState() != 0) return kSkipLabel;
  return gAutoRead ? kAutoLabel : nullptr;
}

// The label is only drawn while a frame is presented, so a change shows the
// frame again at once.
void updateIndicator() {
  const char* label = wantedLabel();
  if (label == gIndicatorLabel) return;
  gIndicatorLabel = label;
  if (menumode == 0) SDLview();
}

void advance() {
  seenTextTakeUnseenShown();
  rSPGkeyin(kAdvance);
  restartAutoTimer(platformTicks());
  // The first message never seen before is shown, then Tab skip ends.
  if (gTabSkip && (seenTextTakeUnseenShown() || SelectMode == 1 || scenarioEnded())) gTabSkip = false;
  updateIndicator();
}

}  // namespace

int32_t skipState() {
  if (ctrlSkipping()) return 2;
  return gTabSkip ? 1 : 0;
}

void stopSkipAndAutoRead() {
  gTabSkip = false;
  gAutoRead = false;
  if (ctrlHeld()) gCtrlStopped = true;
  gIndicatorLabel = nullptr;  // the caller's next frame is shown without it
}

void toggleTabSkip() {
  gTabSkip = !gTabSkip;
  updateIndicator();
}

void toggleAutoRead() {
  gAutoRead = !gAutoRead;
  restartAutoTimer(platformTicks());
  updateIndicator();
}

void hideWindows() {
  gWindowsHidden = true;
  rGame(0);
}

bool unhideOnPress() {
  if (!gWindowsHidden) return false;
  const bool press = event.type == SDL_KEYDOWN || event.type == SDL_MOUSEBUTTONDOWN ||
                     (event.type == SDL_JOYBUTTONDOWN && padok == 1);
  if (!press) return false;
  keypush = 1;
  gWindowsHidden = false;
  rGame(0);
  return true;
}

void readingComfortsPass(bool inputActed) {
  const uint32_t now = platformTicks();
  const bool menuOpen = menumode != 0;
  // The menu is also the title screen: a good moment to keep the marks.
  if (menuOpen && !gMenuWasOpen) seenTextFlush();
  if (!ctrlHeld()) gCtrlStopped = false;
  // The menu pauses automatic reading; the reading time starts again after it.
  if (gReaderSteps != gStepsSeen || (gMenuWasOpen && !menuOpen)) restartAutoTimer(now);
  gMenuWasOpen = menuOpen;
  if (menuOpen || (KeyWait != 0 && SelectMode == 1)) gTabSkip = false;
  updateIndicator();

  if (inputActed || gWindowsHidden || !waitingForAdvance()) return;
  if (skipState() != 0 || (gAutoRead && int32_t(now - gAutoDeadline) >= 0)) advance();
}

bool readingComfortsBusy() { return gTabSkip && !gWindowsHidden && waitingForAdvance(); }

void readingComfortsReset() {
  gTabSkip = gAutoRead = gCtrlStopped = gMenuWasOpen = false;
  gWindowsHidden = false;
  gIndicatorLabel = nullptr;
  gStepsSeen = gReaderSteps;
  gAutoDeadline = 0;
}
