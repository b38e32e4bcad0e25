// The main loop: one action per press, the release test, automatic advance,
// the joystick rows and the quit requests it must not lose.
#include <SDL/SDL.h>

#include <cstdlib>

#include <chrono>
#include <cstring>
#include <functional>

#include "main/main_loop.h"
#include "main/platform.h"
#include "main/sdl_state.h"
#include "scenario/engine_state.h"
#include "support/scenario_support.h"
#include "support/test_support.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

std::function<void(int)> gScript;  // called with the pass number, from 1
int gPasses;

void scriptedPass() {
  ++gPasses;
  if (gPasses > 200) {  // a loop that does not end on its own fails the test
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
    return;
  }
  gScript(gPasses);
}

void push(Uint8 type, int code) {
  SDL_Event e;
  std::memset(&e, 0, sizeof e);
  e.type = type;
  if (type == SDL_KEYDOWN || type == SDL_KEYUP) e.key.keysym.sym = static_cast<SDLKey>(code);
  if (type == SDL_JOYBUTTONDOWN || type == SDL_JOYBUTTONUP) e.jbutton.button = Uint8(code);
  if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) e.button.button = Uint8(code);
  ASSERT_EQ(SDL_PushEvent(&e), 0);
}

class MainLoop : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    setenv("SDL_VIDEODRIVER", "dummy", 0);  // headless unless told otherwise
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    std::memset(&event, 0, sizeof event);
    gPasses = 0;
    gPassHook = scriptedPass;
    menumode = 0;
  }
  void TearDown() override {
    gPassHook = nullptr;
    gJoySimulated = false;
    std::memset(gJoySimButtons, 0, sizeof gJoySimButtons);
    SDL_Quit();
    PlayerDirTest::TearDown();
  }
  // Each advance adds 1 to entry 0 of gFlag8.
  void countingScenario() { startScenario("SCENE:1\nFLAG8.PLUS:1\nKEYWAIT:\nGOTO:1\n"); }
};

}  // namespace

TEST_F(MainLoop, HeldKeyActsOnceAndANewPressActsAgain) {
  countingScenario();
  gScript = [](int pass) {
    if (pass == 1) push(SDL_KEYDOWN, SDLK_RETURN);
    if (pass == 6) push(SDL_KEYUP, SDLK_RETURN);
    if (pass == 8) push(SDL_KEYDOWN, SDLK_KP_ENTER);
    if (pass == 9) push(SDL_KEYUP, SDLK_KP_ENTER);
    if (pass == 11) push(SDL_QUIT, 0);
  };
  runMainLoop();
  EXPECT_EQ(gPasses, 11);
  EXPECT_EQ(gFlag8[0], 3);
  EXPECT_EQ(keypush, 0);
}

TEST_F(MainLoop, QuitQueuedBehindAReleaseIsNotLost) {
  countingScenario();
  gScript = [](int pass) {
    if (pass == 1) push(SDL_KEYDOWN, SDLK_RETURN);
    if (pass == 2) {
      push(SDL_KEYUP, SDLK_RETURN);
      push(SDL_QUIT, 0);
    }
  };
  runMainLoop();
  EXPECT_EQ(gPasses, 2);
}

TEST_F(MainLoop, QuitDuringATimedWaitEndsTheProgram) {
  startScenario("KEYWAIT:\nWAIT:30\nKEYWAIT:\n");
  gScript = [](int pass) {
    if (pass == 1) {
      push(SDL_KEYDOWN, SDLK_RETURN);
      push(SDL_QUIT, 0);
    }
  };
  const auto t0 = std::chrono::steady_clock::now();
  runMainLoop();
  EXPECT_EQ(gPasses, 1);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
}

TEST_F(MainLoop, AutomaticAdvanceRunsTheReaderEveryPass) {
  CaptureStdout();
  startScenario("KISYU:PS3LINUX\nNOWAIT:1\nSCENE:1\nNOWAIT:1\nFLAG16.PLUS:1\nVERSION.CHECK:9\n"
                "FLAG16.PLUS:1\nVERSION.CHECK:9\nFLAG16.PLUS:1\nVERSION.CHECK:9\nGOTO:1\n");
  int seen = -1;
  gScript = [&seen](int pass) {
    if (pass == 10) {
      seen = gFlag16[0];
      push(SDL_QUIT, 0);
    }
  };
  runMainLoop();
  GetCapturedStdout();
  // The start ran up to the first refused version (1); passes 1..9 each ran
  // one more step.
  EXPECT_EQ(seen, 10);
}

TEST_F(MainLoop, JoystickRowsTestTheButtonsThemselves) {
  countingScenario();
  padok = 1;
  gJoySimulated = true;
  gScript = [](int pass) {
    if (pass == 1) {  // 13 and 4 held together act as 13
      gJoySimButtons[13] = gJoySimButtons[4] = 1;
      push(SDL_JOYBUTTONDOWN, 4);
    }
    if (pass == 2) {
      gJoySimButtons[13] = gJoySimButtons[4] = 0;
      push(SDL_JOYBUTTONUP, 4);
    }
    if (pass == 4) {  // the quit button
      gJoySimButtons[16] = 1;
      push(SDL_JOYBUTTONDOWN, 16);
    }
  };
  runMainLoop();
  EXPECT_EQ(gFlag8[0], 2);
  EXPECT_EQ(gPasses, 4);
}

TEST_F(MainLoop, IgnoredJoystickDoesNothing) {
  countingScenario();
  padok = 2;
  gJoySimulated = true;
  gScript = [](int pass) {
    if (pass == 1) {
      gJoySimButtons[13] = gJoySimButtons[16] = 1;
      push(SDL_JOYBUTTONDOWN, 13);
    }
    if (pass == 3) push(SDL_QUIT, 0);
  };
  runMainLoop();
  EXPECT_EQ(gFlag8[0], 1);
  EXPECT_EQ(gPasses, 3);
}

TEST_F(MainLoop, SpaceOpensTheMenu) {
  countingScenario();
  gScript = [](int pass) {
    if (pass == 1) push(SDL_KEYDOWN, SDLK_SPACE);
    if (pass == 2) push(SDL_KEYUP, SDLK_SPACE);
    if (pass == 3) push(SDL_QUIT, 0);
  };
  runMainLoop();
  EXPECT_NE(menumode, 0);
  EXPECT_EQ(gFlag8[0], 1);
}
