// The main loop: one action per press, the release test, automatic advance,
// the joystick rows, the quit requests it must not lose, and the tick counter.
#include <SDL/SDL.h>

#include <cstring>
#include <vector>

#include "main/main_loop.h"
#include "main/platform.h"
#include "main/sdl_state.h"
#include "main/startup.h"
#include "scenario/engine_state.h"
#include "support/scenario_support.h"

namespace {

// An event queued at the start of a pass. Joystick events also set the
// simulated state of their button and of `alsoHeld`.
struct Step { int pass; Uint8 type; int code = 0, alsoHeld = -1; };
std::vector<Step> gSteps;
int gPasses;

void push(const Step& s) {
  SDL_Event e{};
  e.type = s.type;
  if (s.type == SDL_KEYDOWN || s.type == SDL_KEYUP) e.key.keysym.sym = SDLKey(s.code);
  if (s.type == SDL_JOYBUTTONDOWN || s.type == SDL_JOYBUTTONUP) {
    e.jbutton.button = Uint8(s.code);
    for (int b : {s.code, s.alsoHeld})
      if (b >= 0) gJoySimButtons[b] = s.type == SDL_JOYBUTTONDOWN;
  }
  ASSERT_EQ(SDL_PushEvent(&e), 0);
}

void scriptedPass() {
  if (++gPasses > 200) return push({0, SDL_QUIT});  // a loop that does not end fails
  for (const Step& s : gSteps)
    if (s.pass == gPasses) push(s);
}

class MainLoop : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    gPassHook = scriptedPass;
  }
  void TearDown() override {
    gPassHook = nullptr, gJoySimulated = false;
    std::memset(gJoySimButtons, 0, sizeof gJoySimButtons);
    SDL_Quit();
    PlayerDirTest::TearDown();
  }
  void run(const char* scenario, std::vector<Step> steps, int pad = 0) {
    for (SDL_Event e; SDL_PollEvent(&e);) {  // drop what an earlier case left queued
    }
    engineStateClear();
    startScenario(scenario);
    menumode = 0, padok = pad, gPasses = 0;
    gJoySimulated = pad != 0;
    gSteps = std::move(steps);
    runMainLoop();
  }
};

// Each advance adds 1 to entry 0 of gFlag8.
const char kCounting[] = "SCENE:1\nFLAG8.PLUS:1\nKEYWAIT:\nGOTO:1\n";
const Uint8 kDown = SDL_KEYDOWN, kUp = SDL_KEYUP, kQuit = SDL_QUIT;
const Uint8 kJoyDown = SDL_JOYBUTTONDOWN, kJoyUp = SDL_JOYBUTTONUP;

}  // namespace

TEST_F(MainLoop, OneActionPerPressQuitRequestsAreKeptAndAutomaticAdvanceRunsEveryPass) {
  const struct {
    const char* name;
    const char* scenario;
    int padok;
    std::vector<Step> steps;
    int passes, flag;
    bool menu;
  } cases[] = {
      {"held key acts once, a new press acts again", kCounting, 0,
       {{1, kDown, SDLK_RETURN}, {6, kUp, SDLK_RETURN}, {8, kDown, SDLK_KP_ENTER},
        {9, kUp, SDLK_KP_ENTER}, {11, kQuit}}, 11, 3, false},
      {"quit queued behind a release is not lost", kCounting, 0,
       {{1, kDown, SDLK_RETURN}, {2, kUp, SDLK_RETURN}, {2, kQuit}}, 2, 2, false},
      {"joystick rows test the buttons (13 held with 4 acts as 13); 16 quits", kCounting, 1,
       {{1, kJoyDown, 4, 13}, {2, kJoyUp, 4, 13}, {4, kJoyDown, 16}}, 4, 2, false},
      {"ignored joystick does nothing", kCounting, 2, {{1, kJoyDown, 13, 16}, {3, kQuit}}, 3, 1, false},
      {"space opens the menu", kCounting, 0, {{1, kDown, SDLK_SPACE}, {2, kUp, SDLK_SPACE}, {3, kQuit}}, 3, 1,
       true},
      {"the quit seen by a 30-second wait ends the first pass", "KEYWAIT:\nWAIT:30\nKEYWAIT:\n", 0,
       {{1, kDown, SDLK_RETURN}, {1, kQuit}}, 1, 0, false},
      // The start runs up to the first refused version; each pass one more step.
      {"automatic advance runs the reader every pass",
       "KISYU:PS3LINUX\nNOWAIT:1\nSCENE:1\nNOWAIT:1\nFLAG8.PLUS:1\nVERSION.CHECK:9\n"
       "FLAG8.PLUS:1\nVERSION.CHECK:9\nFLAG8.PLUS:1\nVERSION.CHECK:9\nGOTO:1\n", 0, {{10, kQuit}}, 10, 11, false},
  };
  for (const auto& c : cases) {
    stdoutOf([&] { run(c.scenario, c.steps, c.padok); });  // the refused versions' notices stay quiet
    EXPECT_EQ((Ints{gPasses, gFlag8[0], menumode != 0}), (Ints{c.passes, c.flag, c.menu}))
        << "passes, advances, menu: " << c.name;
  }
}
