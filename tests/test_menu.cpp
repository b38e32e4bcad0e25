// The system menu's state machine, driven the way the main loop drives it:
// one call per pass with the last polled event in `event`.
#include <sys/stat.h>

#include <cstring>

#include "main/sdl_state.h"
#include "menu/menu.h"
#include "scenario/engine_state.h"
#include "support/play_support.h"
#include "support/text_support.h"

namespace {

class Menu : public PlayerDirTest {};

// Presses and releases the key once per expected cursor position, one menu
// pass per event, as the main loop hands them over.
void walk(SDLKey key, std::initializer_list<int> cursors) {
  for (int expected : cursors) {
    std::memset(&event, 0, sizeof event);
    event.type = SDL_KEYDOWN, event.key.keysym.sym = key;
    rCPGsysmenu();
    EXPECT_EQ(keypush, 1) << "key " << key;
    keypush = 0, event.type = SDL_KEYUP;  // the release clears the latch; the next pass runs the step
    rCPGsysmenu();
    EXPECT_EQ(menucur, expected) << "key " << key;
  }
}

}  // namespace

TEST_F(Menu, CursorSkipsAForbiddenSaveAndStopsAtTheEnds) {
  // The menu opened over a running game.
  SystemFontSize = 32;
  writeFile("sinario.txt", "SCENE:1\r\nMSG:x\r\n");
  ASSERT_NE(pSinaFile = std::fopen("sinario.txt", "rb"), nullptr);
  menumode = 1, keypush = 0;
  rCPGsysmenu();
  EXPECT_EQ(menucur, 0);
  walk(SDLK_DOWN, {1, 2, 3, 3});
  walk(SDLK_UP, {2, 1, 0, 0});
  walk(SDLK_DOWN, {1});
  walk(SDLK_RETURN, {0});  // the save screen: the back entry, then slots 1 to 6
  EXPECT_TRUE(menumode == 9 && std::string(menu2) == "2:");
  walk(SDLK_UP, {0});
  walk(SDLK_DOWN, {1, 2, 3, 4, 5, 6, 6});
  walk(SDLK_UP, {5, 4, 3, 2, 1, 0});
  walk(SDLK_RETURN, {1});  // the back entry: main screen, cursor on save
  EXPECT_EQ(menumode, 3);
  gSaveFlag = 1;  // saving forbidden: the cursor passes over it both ways
  walk(SDLK_UP, {0});
  walk(SDLK_DOWN, {2});
  walk(SDLK_UP, {0, 0});
}

// A whole walk through the real player with tavino-tool play.
TEST_F(Menu, SaveDuringPlayThenLoadFromTheTitleScreen) {
  const bool font = installDemoFont(dir_);
  auto play = [this](const char* keys) { return playScenario(dir_, keys, "--mode 131"); };
  // Pixels of `rgb` in the band of one text row, from x0 to the right edge:
  // the window is 1280 x 720 (mode 131), so the glyph size is 72.
  constexpr int kFs = 72;
  auto inkInRow = [](const PpmImage& f, int x0, int y0, uint32_t rgb) {
    return inkIn(f, x0, y0, f.width, y0 + kFs, rgb);
  };
  writeFile("sinario.txt",
            "SIORI:first\nFLAG8.SET:-3\nFLAG16:2\nFLAG16.SET:-500\nSCENE:1\nMSG:\x82\xa0\nKEYWAIT:\n");
  // Start, open the menu, save into slot 2, and go back with Space.
  PlayRun r = play("enter,space,down,enter,down,down,enter,space");
  ASSERT_TRUE(r.status == 0 && r.state.at("menumode") == "0") << r.output;
  const std::string file = readFile(dir_ + "/tavino.sav");
  ASSERT_EQ(file.rfind("2SCENENUM:1\r\n", 0), 0u) << file.substr(0, 40);
  EXPECT_NE(file.find("\r\n2SIORI   :first\r\n2JIKOKU  :"), std::string::npos);
  if (font) {
    const PpmImage saved = r.frame(r.frames - 1);  // the last menu frame, before the scene returns
    EXPECT_GT(inkInRow(saved, 0, 0, 0x10004F), 50);         // the saved title
    EXPECT_GT(inkInRow(saved, kFs, 3 * kFs, 0x10004F), 50);  // slot 2's new caption
    const int slot3 = kFs + 4 * (kFs / 2 + 2);  // slot 3: only "3:"
    EXPECT_EQ(inkInRow(saved, slot3, 4 * kFs, 0xFFFFFF), (saved.width - slot3) * kFs);
  }
  // A new run: load slot 2 from the title screen. The flags are set before
  // the scene mark, so only the load can have restored them.
  r = play("up,enter,down,down,enter");
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string loaded = "menumode=0 SceneNum=1 gFlag8=0:-3 gFlag16=2:-500 siori= SystemSizeW=1920 "
                             "SystemSizeH=1080 KisyuMode=7";
  EXPECT_EQ(r.values(loaded), loaded) << "the bookmark is not restored; a new game's size";

  // A save that cannot be written leaves the file and the slot screen as they were.
  ASSERT_EQ(mkdir((dir_ + "/tavino.sav.tmp").c_str(), 0700), 0);
  r = play("enter,space,down,enter,down,down,down,enter");
  EXPECT_TRUE(r.state.at("menumode") == "9" && readFile(dir_ + "/tavino.sav") == file);
}

