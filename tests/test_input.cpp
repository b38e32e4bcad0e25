// The player's input: the main loop (one action per press, the release
// test, automatic advance, the joystick rows, the quit requests it must not
// lose), and the choice cursor and confirmation, in-process and through
// scripted play with its frames.
#include <SDL/SDL.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "display/display.h"
#include "main/main_loop.h"
#include "main/platform.h"
#include "main/sdl_state.h"
#include "main/startup.h"
#include "scenario/engine_state.h"
#include "support/play_support.h"
#include "support/scenario_support.h"
#include "support/text_support.h"

namespace {

// An event queued at the start of a pass. Joystick events also set the
// simulated state of their button and of `alsoHeld`.
struct Step { int pass; Uint8 type; int code = 0, alsoHeld = -1; };
std::vector<Step> gSteps;
int gPasses, framesShown;

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

class PlayerInput : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    gPassHook = scriptedPass;
  }
  void TearDown() override {
    gPassHook = nullptr, gFrameHook = nullptr, gJoySimulated = false;
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
  // In-process, without the main loop: the scenario started on a full-size
  // window that counts the frames presented.
  void start(const std::string& scenario) {
    w = SystemSizeW = resizeX = 1920, h = SystemSizeH = resizeY = 1080;
    SystemFontSize = 96;
    framesShown = 0;
    gFrameHook = [] { framesShown++; };
    startScenario(scenario);
  }
  // Sends one action and returns how many frames it presented.
  static int press(uint8_t code) {
    const int before = framesShown;
    rSPGkeyin(code);
    return framesShown - before;
  }
};

const Uint8 kDown = SDL_KEYDOWN, kUp = SDL_KEYUP, kQuit = SDL_QUIT;
const Uint8 kJoyDown = SDL_JOYBUTTONDOWN, kJoyUp = SDL_JOYBUTTONUP;

// Rows A, B, C... lead to scenes 20, 30, 40..., which record themselves in entry 0 of gFlag8.
std::string choiceScenario(int rows) {
  std::string s = "SCENE:1\nSELECT.MODE:1\n", scenes;
  for (int k = 0; k < rows; k++) {
    const std::string scene = std::to_string(20 + 10 * k);
    s += "SELECT.MSG:" + std::string(1, char('A' + k)) + "\nSELECT.GOTO:" + scene + "\n";
    scenes += "SCENE:" + scene + "\nFLAG8.SET:" + scene + "\nKEYWAIT:\n";
  }
  return s + "MSG:Which?\n" + scenes;
}

constexpr uint8_t kAdvance = 101, kRowUp = 8, kRowDown = 2;

// Through the real main loop: the default 1280 x 720 window shows the design
// scaled to fill it, so FS = 72 and lines start at x = 184.
constexpr int kFs = 72, kBarX = 184 - kFs + 4 + 2;
constexpr uint32_t kOrange = 0xFFBF7F, kYellow = 0xFFFF7F, kWhite = 0xFFFFFF;
int barRow(int k) { return (k + 2) * (kFs + 4); }  // k = 1 .. 6

}  // namespace

TEST_F(PlayerInput, MainLoopTakesOneActionPerPressQuitRequestsAreKeptAndAutomaticAdvanceRunsEveryPass) {
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

TEST_F(PlayerInput, CursorWalkStopsAtTheFirstRowWithoutTarget) {
  start(choiceScenario(2));
  ASSERT_EQ(SelectNow, -1);
  EXPECT_EQ(press(kAdvance), 0) << "no row under the cursor";
  // Each step: the key, the frames it presents, the row it leaves the cursor on.
  const int steps[][3] = {{kRowDown, 1, 0}, {kRowUp, 0, 0}, {kRowDown, 1, 1},
                          {kRowDown, 1, 2},  // onto the empty row after the last choice
                          {kRowDown, 0, 2}, {kAdvance, 0, 2}, {kRowUp, 1, 1}};
  for (const auto& s : steps) {
    EXPECT_EQ(press(uint8_t(s[0])), s[1]) << "key " << s[0] << " to row " << s[2];
    EXPECT_EQ(SelectNow, s[2]) << "key " << s[0];
  }
  EXPECT_EQ(gFlag8[0], 0) << "a row without target is not confirmed";
  start(choiceScenario(2));
  EXPECT_TRUE(press(kRowUp) == 1 && SelectNow == 0) << "from no row, up lands on row 0";
  start(choiceScenario(6));
  for (int k = 0; k < 6; k++) EXPECT_EQ(press(kRowDown), 1);
  EXPECT_TRUE(press(kRowDown) == 0 && SelectNow == 5) << "six choices stop at row five";
}

TEST_F(PlayerInput, ScriptedPlayKeysWalkTheBarsAndConfirmTheHighlightedRow) {
  writeFile("sinario.txt", choiceScenario(3));
  // Start; confirm with no row (nothing); down by keypad and joystick; confirm by the wheel.
  const PlayRun r = playScenario(dir_, "enter,enter,kp2,joy:6,wheeldown");
  EXPECT_EQ(r.state.at("gFlag8") + " " + r.state.at("SceneNum") + " " + r.state.at("SelectMode") + " " +
                r.state.at("SelectNow"), "0:30 30 0 1") << r.output;
  // The last frames: choices, cursor on row 0, on row 1, the chosen row
  // alone, scene 30 (the title screen comes before them).
  const int n = r.frames;
  ASSERT_TRUE(r.status == 0 && n >= 5) << r.output;
  const uint32_t bars[4][4] = {{kOrange, kOrange, kOrange, kWhite}, {kYellow, kOrange, kOrange, kWhite},
                               {kOrange, kYellow, kOrange, kWhite}, {kWhite, kYellow, kWhite, kWhite}};
  for (int i = 0; i < 4; i++) {
    const PpmImage f = r.frame(n - 4 + i);
    for (int k = 1; k <= 4; k++)
      EXPECT_EQ(inkIn(f, kBarX, barRow(k) + 2, kBarX + 1, barRow(k) + 3, bars[i][k - 1]), 1) << i << ":" << k;
  }
  // The chosen row stays alone on screen for half a second.
  auto written = [&](int k) { return std::filesystem::last_write_time(r.framePath(k)); };
  EXPECT_GE(written(n) - written(n - 1), std::chrono::milliseconds(450));
}
