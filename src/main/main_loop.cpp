// The main loop: one polled event per pass, handed to the system menu while
// it is open, otherwise turned into an action for the scenario. A latch
// (keypush) allows one action per press.
#include "main/main_loop.h"

#include "display/history_screen.h"
#include "main/platform.h"
#include "main/reading_comforts.h"
#include "main/sdl_state.h"
#include "main/startup.h"
#include "main/window_keys.h"
#include "menu/menu.h"
#include "scenario/engine_state.h"
#include "scenario/rollback.h"
#include "scenario/scenario.h"

namespace {

constexpr uint8_t kAdvance = 101, kUp = 8, kDown = 2;
constexpr int kQuitButton = 16;

bool isQuitRequest(const SDL_Event& e) {
  if (e.type == SDL_QUIT) return true;
  return e.type == SDL_JOYBUTTONDOWN && padok == 1 && platformJoyButton(kQuitButton);
}

// Once the key or button is released, the events queued meanwhile are
// dropped so that a held key acts once. A quit request among them is kept.
void releaseTest(bool& quit) {
  if (event.type != SDL_KEYUP && event.type != SDL_MOUSEBUTTONUP &&
      event.type != SDL_JOYBUTTONUP) {
    return;
  }
  while (SDL_PollEvent(&event)) {
    if (isQuitRequest(event)) quit = true;
  }
  keypush = 0;
}

bool joyButtonDown(int button) {
  return event.type == SDL_JOYBUTTONDOWN && padok == 1 && platformJoyButton(button);
}

bool keyDown(SDLKey a, SDLKey b) {
  return event.type == SDL_KEYDOWN && (event.key.keysym.sym == a || event.key.keysym.sym == b);
}

void act(uint8_t code) {
  keypush = 1;
  rSPGkeyin(code);
}

void openMenu() {
  keypush = 1;
  menumode = 1;
}

// ---- Inputs added for reading comfort, tried after every row above -------

struct ReadingKeyRow {
  SDLKey key;
  void (*action)();
};

const ReadingKeyRow kReadingKeys[] = {
    {SDLK_TAB, toggleTabSkip},
    {SDLK_a, toggleAutoRead},
    {SDLK_h, hideWindows},
    {SDLK_ESCAPE, openMenu},
};

bool mouseButtonDown(Uint8 button) {
  return event.type == SDL_MOUSEBUTTONDOWN && event.button.button == button;
}

bool dispatchReadingComforts() {
  if (mouseButtonDown(SDL_BUTTON_RIGHT)) {
    openMenu();
    return true;
  }
  if (mouseButtonDown(SDL_BUTTON_MIDDLE)) {
    keypush = 1;
    hideWindows();
    return true;
  }
  if (event.type == SDL_KEYDOWN) {
    for (const ReadingKeyRow& row : kReadingKeys) {
      if (event.key.keysym.sym != row.key) continue;
      keypush = 1;
      row.action();
      return true;
    }
  }
  return dispatchWindowKeys();
}

// ---- History and rollback: inputs the dispatch below leaves unused -------

enum class HistoryAction { kClose, kOlder, kNewer, kNewerOrClose };

struct HistoryRow {
  int type;     // SDL_KEYDOWN or SDL_MOUSEBUTTONDOWN
  int code;     // key symbol or mouse button
  HistoryAction action;
};

// While the history is open it takes every input; inputs not listed do nothing.
const HistoryRow kHistoryRows[] = {
    {SDL_KEYDOWN, SDLK_RETURN, HistoryAction::kClose},
    {SDL_KEYDOWN, SDLK_KP_ENTER, HistoryAction::kClose},
    {SDL_KEYDOWN, SDLK_ESCAPE, HistoryAction::kClose},
    {SDL_KEYDOWN, SDLK_l, HistoryAction::kClose},
    {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, HistoryAction::kClose},
    {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, HistoryAction::kClose},
    {SDL_KEYDOWN, SDLK_PAGEUP, HistoryAction::kOlder},
    {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP, HistoryAction::kOlder},
    {SDL_KEYDOWN, SDLK_PAGEDOWN, HistoryAction::kNewer},
    {SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN, HistoryAction::kNewerOrClose},
};

bool matches(int type, int code) {
  if (event.type != type) return false;
  return type == SDL_KEYDOWN ? event.key.keysym.sym == code : event.button.button == code;
}

void historyInput() {
  for (const HistoryRow& row : kHistoryRows) {
    if (!matches(row.type, row.code)) continue;
    keypush = 1;
    switch (row.action) {
      case HistoryAction::kClose: closeHistory(); break;
      case HistoryAction::kOlder: scrollHistoryUp(); break;
      case HistoryAction::kNewer: scrollHistoryDown(); break;
      case HistoryAction::kNewerOrClose:
        if (historyAtNewest()) closeHistory();
        else scrollHistoryDown();
        break;
    }
    return;
  }
}

// Rows tried after every other row of the dispatch.
void historyAndRollbackRows() {
  if (matches(SDL_KEYDOWN, SDLK_PAGEUP) || matches(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP)) {
    keypush = 1;
    rollBackOneStop();
  } else if (matches(SDL_KEYDOWN, SDLK_l)) {
    keypush = 1;
    // Only where the scenario waits for the player: while NOWAIT runs it,
    // the reader would draw over the history.
    if (NoWait != 0) return;
    stopSkipAndAutoRead();
    openHistory();
  }
}

// The first matching row acts; joystick rows test the button's current
// state, not the event's own button.
void dispatch() {
  if (historyShown()) {
    historyInput();
    return;
  }
  // Hidden text windows come back at the next press, which does nothing else.
  if (unhideOnPress()) return;
  if (event.type == SDL_MOUSEBUTTONDOWN &&
      (event.button.button == SDL_BUTTON_LEFT || event.button.button == SDL_BUTTON_WHEELDOWN)) {
    act(kAdvance);
  } else if (joyButtonDown(13)) {
    act(kAdvance);
  } else if (keyDown(SDLK_RETURN, SDLK_KP_ENTER)) {
    act(kAdvance);
  } else if (joyButtonDown(4)) {
    act(kUp);
  } else if (keyDown(SDLK_UP, SDLK_KP8)) {
    act(kUp);
  } else if (joyButtonDown(6)) {
    act(kDown);
  } else if (keyDown(SDLK_DOWN, SDLK_KP2)) {
    act(kDown);
  } else if (joyButtonDown(0)) {
    openMenu();
  } else if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_SPACE) {
    openMenu();
  } else if (dispatchReadingComforts()) {
    // skip, automatic reading, hide, the menu, or a window key acted
  } else {
    historyAndRollbackRows();
  }
}

}  // namespace

void runMainLoop() {
  bool quit = false;
  gQuitRequested = false;
  for (;;) {
    if (gPassHook) gPassHook();
    if (SDL_PollEvent(&event) && isQuitRequest(event)) quit = true;

    const int32_t latchBefore = keypush;
    if (menumode != 0) {
      if (keypush != 1) {
        rCPGsysmenu();
      } else {
        releaseTest(quit);
      }
    } else if (keypush == 1) {
      releaseTest(quit);
    } else {
      dispatch();
    }
    // The scenario stands still behind the history, whatever is held.
    if (!historyShown()) readingComfortsPass(latchBefore == 0 && keypush == 1);

    if (NoWait != 0) {
      rCPGgetsina(0);
    } else {
      SDL_Delay(16);
    }
    // Quit requests seen by a timed wait end the program too.
    if (gQuitRequested) quit = true;
    if (quit) break;
  }
}
