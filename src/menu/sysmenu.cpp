// The system menu, also the title screen: a state machine in `menumode` that
// the main loop steps once per pass while the menu owns input.
#include <cstring>

#include "display/display.h"
#include "main/platform.h"
#include "main/sdl_state.h"
#include "main/window_keys.h"
#include "menu/menu.h"
#include "menu/menu_labels.h"
#include "menu/save_file.h"
#include "scenario/engine_state.h"
#include "scenario/scenario.h"
#include "scenario/seen_text.h"
#include "text/text.h"

namespace {

enum MenuState {
  kClosed = 0,
  kOpening = 1,
  kMain = 3,
  kRestart = 4,
  kMainRedraw = 5,
  kSaveOpen = 7,
  kSaveRedraw = 8,
  kSave = 9,
  kSaved = 10,
  kLoadOpen = 11,
  kLoadRedraw = 12,
  kLoad = 13,
};

enum class Action { kNone, kConfirm, kUp, kDown, kCancel };

constexpr int32_t kBlack = 0x000000;
constexpr int32_t kGrey = 0x7F7F7F;
constexpr int32_t kBlue = 0x0000FF;
constexpr int32_t kInk = 0x10004F;
constexpr int kLastSlotRow = 6;

Action decodeEvent() {
  if (event.type == SDL_KEYDOWN) {
    switch (event.key.keysym.sym) {
      case SDLK_RETURN:
      case SDLK_KP_ENTER: return Action::kConfirm;
      case SDLK_UP:
      case SDLK_KP8: return Action::kUp;
      case SDLK_DOWN:
      case SDLK_KP2: return Action::kDown;
      case SDLK_SPACE: return Action::kCancel;
      case SDLK_ESCAPE: return Action::kCancel;
      default: return Action::kNone;
    }
  }
  if (event.type == SDL_JOYBUTTONDOWN && padok == 1) {
    // The button's current state decides, first match in this order.
    if (platformJoyButton(13)) return Action::kConfirm;
    if (platformJoyButton(4)) return Action::kUp;
    if (platformJoyButton(6)) return Action::kDown;
    if (platformJoyButton(0)) return Action::kCancel;
  }
  if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_RIGHT) return Action::kCancel;
  return Action::kNone;
}

bool scenarioOpen() { return pSinaFile != nullptr; }

void drawMainScreen() {
  const int fs = SystemFontSize;
  std::memset(gUra, 0xFF, kFrameBytes);
  if (scenarioOpen()) {
    TextOut2(fs, 0, kMenuReturn, labelBytes(kMenuReturn), kBlack, 0);
    if (gSaveFlag)
      TextOut2(fs, fs + 4, kMenuSaveGreyed, kGreyedSaveDrawn, kGrey, 0);
    else
      TextOut2(fs, fs + 4, kMenuSave, labelBytes(kMenuSave), kBlack, 0);
    TextOut2(fs, 2 * fs + 8, kMenuLoad, labelBytes(kMenuLoad), kBlack, 0);
  }
  TextOut2(fs, 3 * fs + 12, kMenuRestart, labelBytes(kMenuRestart), kBlack, 0);
  TextOut2(0, (fs + 4) * menucur, kMenuCursor, labelBytes(kMenuCursor), kBlack, 0);
  TextOut2(0, 7 * fs + 28, kMenuHeader, labelBytes(kMenuHeader), kBlue, 0);
  TextOut2(0, 8 * fs + 32, kMenuFooter, labelBytes(kMenuFooter), kInk, 0);
  SDLview();
  menumode = kMain;
}

void drawSlotScreen(const char* title, int titleBytes, int nextState) {
  const int fs = SystemFontSize;
  std::memset(gUra, 0xFF, kFrameBytes);
  TextOut2(0, 0, title, titleBytes, kInk, 0);
  TextOut2(fs, fs, kMenuBack, labelBytes(kMenuBack), kInk, 0);
  for (int n = 1; n <= 6; ++n) {
    const char* caption = menuCaption(n);
    TextOut2(fs, (n + 1) * fs, caption, int(strnlen(caption, 32)), kInk, 0);
  }
  TextOut2(0, fs * menucur + fs, kMenuCursor, labelBytes(kMenuCursor), kBlack, 0);
  SDLview();
  menumode = nextState;
}

void returnToGame() {
  rGame(0);
  menumode = kClosed;
}

void handleMain(Action action) {
  const bool open = scenarioOpen();
  switch (action) {
    case Action::kConfirm:
      if (menucur == 0 && open) {
        returnToGame();
      } else if (menucur == 1 && open && !gSaveFlag) {
        menumode = kSaveOpen;
        menucur = 0;
      } else if (menucur == 2) {
        menumode = kLoadOpen;
        menucur = 0;
      } else if (menucur == 3) {
        std::strcpy(SinaFile, "sinario.txt");
        menumode = kRestart;
      }
      break;
    case Action::kUp:
      if (open ? menucur > 0 : menucur == 3) {
        menucur -= (open && gSaveFlag && menucur == 2) ? 2 : 1;
        menumode = kMainRedraw;
      }
      break;
    case Action::kDown:
      if (open ? menucur < 3 : menucur == 2) {
        menucur += (open && gSaveFlag && menucur == 0) ? 2 : 1;
        menumode = kMainRedraw;
      }
      break;
    case Action::kCancel:
      if (open) returnToGame();
      break;
    case Action::kNone: break;
  }
}

// Cursor moves shared by the save and the load screen; true when it moved.
bool moveSlotCursor(Action action) {
  if (action == Action::kUp && menucur > 0) {
    --menucur;
    return true;
  }
  if (action == Action::kDown && menucur < kLastSlotRow) {
    ++menucur;
    return true;
  }
  return false;
}

void handleSave(Action action) {
  if (action == Action::kConfirm) {
    if (menucur == 0) {
      menucur = 1;
      menumode = kMainRedraw;
    } else if (saveWriteSlot(menucur)) {
      seenTextFlush();
      menumode = kSaved;
    }
  } else if (action == Action::kCancel) {
    if (scenarioOpen()) returnToGame();
  } else if (moveSlotCursor(action)) {
    menumode = kSaveRedraw;
  }
}

void handleLoad(Action action) {
  if (action == Action::kConfirm) {
    if (menucur >= 1 && savedatamax > 0) {
      saveLoadSlot(menucur);
      menumode = kClosed;
    } else {
      menucur = 2;
      menumode = kMainRedraw;
    }
  } else if (action == Action::kCancel) {
    if (scenarioOpen()) returnToGame();
  } else if (moveSlotCursor(action)) {
    menumode = kLoadRedraw;
  }
}

}  // namespace

void rCPGsysmenu() {
  switch (menumode) {
    case kOpening:
      menucur = scenarioOpen() ? 0 : 3;
      drawMainScreen();
      return;
    case kRestart:
      rOPGstartsina();
      menumode = kClosed;
      keypush = 0;
      return;
    case kMainRedraw:
      drawMainScreen();
      return;
    case kSaveOpen:
      saveReadCaptions();
      drawSlotScreen(kMenuSaveTitle, labelBytes(kMenuSaveTitle), kSave);
      return;
    case kSaveRedraw:
      drawSlotScreen(kMenuSaveTitle, labelBytes(kMenuSaveTitle), kSave);
      return;
    case kSaved:
      saveReadCaptions();
      drawSlotScreen(kMenuSavedTitle, labelBytes(kMenuSavedTitle), kSave);
      return;
    case kLoadOpen:
    case kLoadRedraw:
      // The load screen always shows the file as it is now.
      saveReadCaptions();
      drawSlotScreen(kMenuLoadTitle, labelBytes(kMenuLoadTitle), kLoad);
      return;
    case kMain:
    case kSave:
    case kLoad: break;
    default: return;
  }

  const Action action = decodeEvent();
  if (action == Action::kNone) {
    dispatchWindowKeys();  // full screen, screenshot and volume work here too
    return;
  }
  if (menumode == kMain)
    handleMain(action);
  else if (menumode == kSave)
    handleSave(action);
  else
    handleLoad(action);
  keypush = 1;
}
