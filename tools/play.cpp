// tavino-tool play: runs the real player headless (SDL's dummy drivers) and
// feeds it a scripted list of key presses, one press and one release per
// key, each through real main-loop passes. Optionally records every
// presented frame and dumps the engine state at the end.
#include <sys/stat.h>
#include <unistd.h>

#include <SDL/SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "main/platform.h"
#include "main/reading_comforts.h"
#include "main/startup.h"
#include "play_script.h"
#include "scenario/engine_state.h"
#include "tool.h"

uint32_t gPlaySettleLimitMs = 10000;
void (*gPlayStepHook)(size_t stepsTaken);

namespace {

constexpr int kSettledPasses = 2;         // idle passes in a row that count as settled

struct Player {
  std::vector<PlayStep> steps;
  size_t next = 0;
  enum Phase { kSettle, kRelease, kSleep, kDone } phase = kSettle;
  int idlePasses = 0;
  uint32_t settleStart = 0;  // SDL_GetTicks when the wait for idleness began
  int32_t lastMenumode = 0;
  uint32_t sleepUntil = 0;
  const PlayStep* pressed = nullptr;
  std::string frameDir;
  int frameCount = 0;
  bool frameError = false;
};

Player player;

bool eventsPending() {
  SDL_Event peek;
  return SDL_PeepEvents(&peek, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0;
}

void startSettling() {
  player.idlePasses = 0;
  player.settleStart = SDL_GetTicks();
}

// Settled: nothing queued, no automatic advance, no press latched, and the
// menu state unchanged for a few passes.
bool settled() {
  const bool idle = !eventsPending() && NoWait == 0 && keypush == 0 &&
                    menumode == player.lastMenumode && !readingComfortsBusy();
  player.lastMenumode = menumode;
  player.idlePasses = idle ? player.idlePasses + 1 : 0;
  if (player.idlePasses >= kSettledPasses) return true;
  if (SDL_GetTicks() - player.settleStart > gPlaySettleLimitMs) {
    std::fprintf(stderr, "tavino-tool play: the player did not settle; going on\n");
    return true;
  }
  return false;
}

void pushEvent(SDL_Event& e) {
  if (SDL_PushEvent(&e) != 0) std::fprintf(stderr, "tavino-tool play: event queue full\n");
}

void pushPress(const PlayStep& step, bool down) {
  SDL_Event e;
  std::memset(&e, 0, sizeof e);
  switch (step.kind) {
    case PlayStep::kKey:
      e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
      e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
      e.key.keysym.sym = static_cast<SDLKey>(step.value);
      break;
    case PlayStep::kMouse:
      e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
      e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
      e.button.button = static_cast<Uint8>(step.value);
      break;
    case PlayStep::kJoy:
      // As if a joystick were open and in use: the main loop asks the
      // simulated device for the button's state.
      padok = 1;
      gJoySimulated = true;
      gJoySimButtons[step.value] = down ? 1 : 0;
      e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
      e.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
      e.jbutton.button = static_cast<Uint8>(step.value);
      break;
    default: return;
  }
  pushEvent(e);
}

// hold:KEY and release:KEY: the key's event, and SDL's modifier state as
// the player reads it, simulated since pushed events do not change it.
void pushHeld(const PlayStep& step) {
  const bool down = step.kind == PlayStep::kHold;
  gModSimulated = true;
  gModSimState = down ? gModSimState | step.modifier : gModSimState & ~step.modifier;
  SDL_Event e;
  std::memset(&e, 0, sizeof e);
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = static_cast<SDLKey>(step.value);
  e.key.keysym.mod = static_cast<SDLMod>(gModSimState);
  pushEvent(e);
}

void pushQuit() {
  SDL_Event e;
  std::memset(&e, 0, sizeof e);
  e.type = SDL_QUIT;
  pushEvent(e);
}

// Called at the start of every main-loop pass.
void onPass() {
  switch (player.phase) {
    case Player::kRelease:
      pushPress(*player.pressed, false);
      player.phase = Player::kSettle;
      startSettling();
      return;
    case Player::kSleep:
      if (static_cast<int32_t>(SDL_GetTicks() - player.sleepUntil) < 0) return;
      player.phase = Player::kSettle;
      startSettling();
      return;
    case Player::kDone: return;
    case Player::kSettle: break;
  }
  if (!settled()) return;
  startSettling();

  if (player.next == player.steps.size()) {
    pushQuit();
    player.phase = Player::kDone;
    return;
  }
  const PlayStep& step = player.steps[player.next++];
  if (gPlayStepHook) gPlayStepHook(player.next);
  if (step.kind == PlayStep::kSleep) {
    player.sleepUntil = SDL_GetTicks() + static_cast<uint32_t>(step.value);
    player.phase = Player::kSleep;
  } else if (step.kind == PlayStep::kQuit) {
    pushQuit();
    player.phase = Player::kDone;
  } else if (step.kind == PlayStep::kHold || step.kind == PlayStep::kRelease) {
    pushHeld(step);
  } else {
    pushPress(step, true);
    player.pressed = &step;
    player.phase = Player::kRelease;
  }
}

void recordFrame() {
  if (player.frameError) return;
  char name[64];
  std::snprintf(name, sizeof name, "/frame-%04d.ppm", ++player.frameCount);
  std::vector<uint8_t> rows(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; y++) {
    std::memcpy(&rows[static_cast<size_t>(y) * w * 3], gUra + y * kFrameStride,
                static_cast<size_t>(w) * 3);
  }
  const std::string path = player.frameDir + name;
  if (!writePpm(path.c_str(), rows.data(), w, h)) {
    std::fprintf(stderr, "tavino-tool play: cannot write %s\n", path.c_str());
    player.frameError = true;
  }
}

bool makeDirectories(const std::string& path) {
  for (size_t i = 1; i <= path.size(); i++) {
    if (i == path.size() || path[i] == '/') {
      const std::string part = path.substr(0, i);
      if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
  }
  return true;
}

int usage() {
  std::fprintf(stderr,
               "usage: tavino-tool play [--dir DIR] [--mode N] [--keys LIST] [--frames OUTDIR] "
               "[--state FILE]\n"
               "  LIST: comma-separated enter, kpenter, up, down, kp8, kp2, space, click,\n"
               "        wheeldown, wheelup, joy:B, sleep:MS, quit,\n"
               "        tab, a, h, f, f11, s, print, m, minus, equals, kpminus, kpplus,\n"
               "        escape, rightclick, middleclick, hold:KEY, release:KEY\n"
               "        pageup, pagedown, l\n"
               "        (KEY: lctrl, rctrl, lshift)\n");
  return 2;
}

}  // namespace

int toolPlay(int argc, char** argv) {
  std::string dir, mode = "131", keys, stateFile;
  for (int i = 0; i < argc; i++) {
    const std::string opt = argv[i];
    if (i + 1 >= argc) return usage();
    const char* value = argv[++i];
    if (opt == "--dir") dir = value;
    else if (opt == "--mode") mode = value;
    else if (opt == "--keys") keys = value;
    else if (opt == "--frames") player.frameDir = value;
    else if (opt == "--state") stateFile = value;
    else return usage();
  }

  std::string error;
  if (!parsePlayKeys(keys, player.steps, error)) {
    std::fprintf(stderr, "tavino-tool play: %s\n", error.c_str());
    return 2;
  }
  // Output paths are taken relative to where the tool was started.
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) cwd[0] = 0;
  auto absolute = [&](std::string& path) {
    if (!path.empty() && path[0] != '/') path = std::string(cwd) + "/" + path;
  };
  absolute(player.frameDir);
  absolute(stateFile);
  if (!player.frameDir.empty()) {
    if (!makeDirectories(player.frameDir)) {
      std::fprintf(stderr, "tavino-tool play: cannot create %s\n", player.frameDir.c_str());
      return 1;
    }
    gFrameHook = recordFrame;
  }
  if (!dir.empty() && chdir(dir.c_str()) != 0) {
    std::fprintf(stderr, "tavino-tool play: cannot enter %s\n", dir.c_str());
    return 1;
  }

  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 0);  // keep a driver named by the caller (disk capture)

  gPassHook = onPass;
  std::string program = "tavino";
  char* playerArgv[] = {program.data(), mode.data(), nullptr};
  const int status = SDL_main(2, playerArgv);
  std::fflush(stdout);
  if (status != 0) {
    std::fprintf(stderr, "tavino-tool play: the player ended with status %d\n", status);
    return 1;
  }
  if (!stateFile.empty() && !writeStateDump(stateFile)) {
    std::fprintf(stderr, "tavino-tool play: cannot write %s\n", stateFile.c_str());
    return 1;
  }
  return player.frameError ? 1 : 0;
}
