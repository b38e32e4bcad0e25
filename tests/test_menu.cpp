// The system menu's state machine, driven the way the main loop drives it:
// one call per pass with the last polled event in `event`.
#include <sys/stat.h>

#include <cstring>

#include "main/platform.h"
#include "main/sdl_state.h"
#include "menu/menu.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"

namespace {

class MenuTest : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    SystemFontSize = 32;
    gJoySimulated = false;
    std::memset(gJoySimButtons, 0, sizeof gJoySimButtons);
  }
  void TearDown() override {
    gJoySimulated = false;
    PlayerDirTest::TearDown();
  }

  // A key press handled by the menu, as the main loop hands it over.
  void press(SDLKey key) {
    std::memset(&event, 0, sizeof event);
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    ASSERT_EQ(keypush, 0) << "the menu was called while the latch is set";
    rCPGsysmenu();
  }
  // The release clears the latch; the next pass runs the pending step.
  void release() {
    std::memset(&event, 0, sizeof event);
    event.type = SDL_KEYUP;
    keypush = 0;
    rCPGsysmenu();
  }
  void pressAndRelease(SDLKey key) {
    press(key);
    release();
  }
  void openScenario() {
    writeFile("sinario.txt", "SCENE:1\r\nMSG:x\r\n");
    pSinaFile = std::fopen("sinario.txt", "rb");
    ASSERT_NE(pSinaFile, nullptr);
  }
  void openMenu() {
    menumode = 1;
    keypush = 0;
    rCPGsysmenu();
  }
};

TEST_F(MenuTest, TitleScreenOffersOnlyStartAndLoad) {
  std::memset(gUra, 0, kFrameBytes);
  openMenu();
  EXPECT_EQ(menumode, 3);
  EXPECT_EQ(menucur, 3);
  EXPECT_EQ(keypush, 0);
  EXPECT_EQ(framePixel(gUra, 1919, 1079)[0], 0xFF);  // white frame

  pressAndRelease(SDLK_DOWN);  // already on the last entry
  EXPECT_EQ(menucur, 3);
  pressAndRelease(SDLK_UP);
  EXPECT_EQ(menucur, 2);
  EXPECT_EQ(menumode, 3);
  press(SDLK_KP8);  // no entry 1 or 0 without a game
  EXPECT_EQ(menumode, 3);
  EXPECT_EQ(keypush, 1);
  release();
  EXPECT_EQ(menucur, 2);

  pressAndRelease(SDLK_SPACE);  // nothing to return to
  EXPECT_EQ(menumode, 3);
  pressAndRelease(SDLK_KP2);
  EXPECT_EQ(menucur, 3);

  std::strcpy(SinaFile, "other.txt");
  press(SDLK_RETURN);
  EXPECT_EQ(menumode, 4);
  EXPECT_STREQ(SinaFile, "sinario.txt");
  EXPECT_EQ(keypush, 1);
  release();  // the new game starts after the key is let go
  EXPECT_EQ(menumode, 0);
  EXPECT_EQ(keypush, 0);
}

TEST_F(MenuTest, InGameCursorSkipsSaveWhileSavingIsForbidden) {
  openScenario();
  openMenu();
  EXPECT_EQ(menucur, 0);
  for (int expected : {1, 2, 3, 3}) {
    pressAndRelease(SDLK_DOWN);
    EXPECT_EQ(menucur, expected);
  }
  gSaveFlag = 1;
  for (int expected : {2, 0, 0}) {
    pressAndRelease(SDLK_UP);
    EXPECT_EQ(menucur, expected);
  }
  pressAndRelease(SDLK_DOWN);
  EXPECT_EQ(menucur, 2);
}

TEST_F(MenuTest, ReturnAndCancelGoBackToTheGame) {
  openScenario();
  openMenu();
  press(SDLK_KP_ENTER);
  EXPECT_EQ(menumode, 0);
  EXPECT_EQ(keypush, 1);

  openMenu();
  press(SDLK_SPACE);
  EXPECT_EQ(menumode, 0);
}

TEST_F(MenuTest, SaveScreenSavesAndShowsTheNewCaption) {
  openScenario();
  SceneNum = 1;
  std::strcpy(SinaFile, "sinario.txt");
  openMenu();
  pressAndRelease(SDLK_DOWN);
  press(SDLK_RETURN);
  EXPECT_EQ(menumode, 7);
  EXPECT_EQ(menucur, 0);
  release();
  EXPECT_EQ(menumode, 9);
  EXPECT_STREQ(menu2, "2:");

  pressAndRelease(SDLK_UP);  // stops at the back entry
  EXPECT_EQ(menucur, 0);
  for (int i = 0; i < 8; ++i) pressAndRelease(SDLK_DOWN);
  EXPECT_EQ(menucur, 6);  // and at the last slot
  for (int i = 0; i < 4; ++i) pressAndRelease(SDLK_UP);
  ASSERT_EQ(menucur, 2);

  press(SDLK_RETURN);
  EXPECT_EQ(menumode, 10);
  ASSERT_TRUE(fileExists("tavino.sav"));
  release();
  EXPECT_EQ(menumode, 9);
  EXPECT_EQ(std::strlen(menu2), 10u) << menu2;  // "2:" and the time stamp
  EXPECT_EQ(readFile("tavino.sav").rfind("2SCENENUM:1\r\n", 0), 0u);

  // A save that cannot be written leaves the screen as it is.
  ASSERT_EQ(mkdir("tavino.sav.tmp", 0700), 0);
  pressAndRelease(SDLK_DOWN);
  press(SDLK_RETURN);
  EXPECT_EQ(menumode, 9);
  release();

  for (int i = 0; i < 3; ++i) pressAndRelease(SDLK_UP);
  ASSERT_EQ(menucur, 0);
  press(SDLK_RETURN);  // back entry: main screen, cursor on save
  EXPECT_EQ(menucur, 1);
  EXPECT_EQ(menumode, 5);
  release();
  EXPECT_EQ(menumode, 3);
}

TEST_F(MenuTest, LoadScreenWithoutSaveFileGoesBackToTheMainScreen) {
  openMenu();
  pressAndRelease(SDLK_UP);
  press(SDLK_RETURN);
  EXPECT_EQ(menumode, 11);
  release();
  EXPECT_EQ(menumode, 13);
  EXPECT_EQ(savedatamax, 0);
  pressAndRelease(SDLK_DOWN);
  EXPECT_EQ(menucur, 1);
  pressAndRelease(SDLK_SPACE);  // no game to return to
  EXPECT_EQ(menumode, 13);
  press(SDLK_RETURN);
  EXPECT_EQ(menucur, 2);
  EXPECT_EQ(menumode, 5);
}

TEST_F(MenuTest, JoystickButtonsCountOnlyWhileThePadIsInUse) {
  openScenario();
  openMenu();
  gJoySimulated = true;
  gJoySimButtons[6] = 1;
  std::memset(&event, 0, sizeof event);
  event.type = SDL_JOYBUTTONDOWN;
  for (int ignored : {0, 2}) {
    padok = ignored;
    rCPGsysmenu();
    EXPECT_EQ(menucur, 0);
    EXPECT_EQ(keypush, 0);
  }
  padok = 1;
  rCPGsysmenu();
  EXPECT_EQ(menucur, 1);
  EXPECT_EQ(keypush, 1);
  release();

  // Several buttons held: 13 (confirm) wins over 4 and 6.
  gJoySimButtons[4] = 1;
  gJoySimButtons[13] = 1;
  event.type = SDL_JOYBUTTONDOWN;
  rCPGsysmenu();
  EXPECT_EQ(menumode, 7);
  release();
  std::memset(gJoySimButtons, 0, sizeof gJoySimButtons);
  gJoySimButtons[0] = 1;  // cancel
  event.type = SDL_JOYBUTTONDOWN;
  rCPGsysmenu();
  EXPECT_EQ(menumode, 0);
}

}  // namespace

// Whole walks through the real player with tavino-tool play: the window is
// 1280 x 720 (mode 131), so the glyph size is 72.
namespace {

constexpr int kFs = 72;

class MenuPlay : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
#ifdef TAVINO_FONT
    hasFont_ = fileExists(TAVINO_FONT);
    if (hasFont_) writeFile("pelorune96.dat", readFile(TAVINO_FONT));
#endif
  }
  CommandResult play(const std::string& keys) {
    return runCommand(std::string(TAVINO_TOOL) + " play --mode 131 --dir '" + dir_ + "' --keys '" +
                      keys + "' --frames '" + dir_ + "/frames' --state '" + dir_ +
                      "/state.txt' 2>&1");
  }
  std::string state(const std::string& name) {
    std::string text = readFile(dir_ + "/state.txt");
    size_t at = text.find(name + "=");
    if (at == std::string::npos || (at > 0 && text[at - 1] != '\n')) return "<missing>";
    at += name.size() + 1;
    return text.substr(at, text.find('\n', at) - at);
  }
  PpmImage frame(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "/frames/frame-%04d.ppm", n);
    PpmImage image;
    EXPECT_TRUE(readPpm(dir_ + name, image)) << name;
    return image;
  }
  int frameCount() {
    int n = 0;
    char name[32];
    for (;;) {
      std::snprintf(name, sizeof name, "/frames/frame-%04d.ppm", n + 1);
      if (!fileExists(dir_ + name)) return n;
      ++n;
    }
  }
  // Pixels of exactly this colour inside the band of one text row.
  static int inkInRow(const PpmImage& image, int x0, int y0, uint32_t colour) {
    int count = 0;
    for (int y = y0; y < y0 + kFs && y < image.height; ++y)
      for (int x = x0; x < image.width; ++x) {
        const uint8_t* p = image.at(x, y);
        if ((uint32_t(p[0]) << 16 | p[1] << 8 | p[2]) == colour) ++count;
      }
    return count;
  }
  static bool allWhite(const PpmImage& image, int x0, int y0) {
    for (int y = y0; y < y0 + kFs; ++y)
      for (int x = x0; x < image.width; ++x)
        if (image.at(x, y)[0] != 0xFF || image.at(x, y)[1] != 0xFF || image.at(x, y)[2] != 0xFF)
          return false;
    return true;
  }
  bool hasFont_ = false;
};

TEST_F(MenuPlay, TitleScreenStartsTheStory) {
  writeFile("sinario.txt", "SCENE:3\nMSG:\x82\xa0\nKEYWAIT:\n");
  CommandResult r = play("down,up,up,down,enter");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(state("menumode"), "0");
  EXPECT_EQ(state("SceneNum"), "3");
  EXPECT_EQ(state("SystemSizeW"), "1920");
  ASSERT_GE(frameCount(), 2);

  PpmImage title = frame(1);
  ASSERT_EQ(title.width, 1280);
  EXPECT_EQ(title.at(1279, 719)[0], 0xFF);
  if (!hasFont_) GTEST_SKIP() << "no demo font: labels not checked";
  // Only the start entry, with the cursor beside it; header in blue.
  EXPECT_TRUE(allWhite(title, kFs, 0));
  EXPECT_TRUE(allWhite(title, kFs, kFs + 4));
  EXPECT_TRUE(allWhite(title, kFs, 2 * kFs + 8));
  EXPECT_GT(inkInRow(title, kFs, 3 * kFs + 12, 0x000000), 100);
  EXPECT_GT(inkInRow(title, 0, 7 * kFs + 28, 0x0000FF), 100);
  EXPECT_GT(inkInRow(title, 0, 8 * kFs + 32, 0x10004F), 100);
  // The first Up moves the cursor to the hidden load entry.
  PpmImage moved = frame(2);
  EXPECT_FALSE(allWhite(moved, 0, 2 * (kFs + 4)));
}

TEST_F(MenuPlay, SaveDuringPlayThenLoadFromTheTitleScreen) {
  writeFile("sinario.txt",
            "SIORI:first\nFLAG8.SET:-3\nFLAG16:2\nFLAG16.SET:-500\nSCENE:1\nMSG:\x82\xa0\n"
            "KEYWAIT:\n");
  // Start, open the menu, save into slot 2, and go back with Space.
  CommandResult r = play("enter,space,down,enter,down,down,enter,space");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(state("menumode"), "0");
  std::string file = readFile(dir_ + "/tavino.sav");
  ASSERT_EQ(file.rfind("2SCENENUM:1\r\n", 0), 0u) << file.substr(0, 40);
  EXPECT_NE(file.find("\r\n2SIORI   :first\r\n2JIKOKU  :"), std::string::npos);
  EXPECT_EQ(file.substr(file.size() - 4), "\r\n\r\n");
  if (hasFont_) {
    const int n = frameCount();
    ASSERT_GE(n, 3);
    PpmImage saved = frame(n - 1);  // the last menu frame, before the scene returns
    EXPECT_GT(inkInRow(saved, 0, 0, 0x10004F), 50);         // the saved title
    EXPECT_GT(inkInRow(saved, kFs, 3 * kFs, 0x10004F), 50);  // slot 2's new caption
    EXPECT_TRUE(allWhite(saved, kFs + 4 * (kFs / 2 + 2), 4 * kFs));  // slot 3: only "3:"
  }

  // A new run: load slot 2 from the title screen. The flags are set before
  // the scene mark, so only the load can have restored them.
  r = play("up,enter,down,down,enter");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(state("menumode"), "0");
  EXPECT_EQ(state("SceneNum"), "1");
  EXPECT_EQ(state("gFlag8"), "0:-3");
  EXPECT_EQ(state("gFlag16"), "2:-500");
  EXPECT_EQ(state("siori"), "") << "the bookmark is not restored";
  EXPECT_EQ(state("SystemSizeW"), "1920");
  EXPECT_EQ(state("SystemSizeH"), "1080");
}

TEST_F(MenuPlay, SavingIsGreyedAfterAChangeWithoutAStop) {
  // The scenario ends right after a flag change, so saving is forbidden.
  writeFile("sinario.txt", "SCENE:1\nFLAG8.SET:4\n");
  CommandResult r = play("enter,space,down,enter");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(state("gSaveFlag"), "1");
  EXPECT_EQ(state("menumode"), "13") << "the cursor skipped save and confirmed load";
  EXPECT_FALSE(fileExists(dir_ + "/tavino.sav"));
  if (!hasFont_) return;
  const int n = frameCount();
  ASSERT_GE(n, 3);
  PpmImage menu = frame(n - 2);
  EXPECT_GT(inkInRow(menu, kFs, kFs + 4, 0x7F7F7F), 50);
  EXPECT_EQ(inkInRow(menu, kFs, kFs + 4, 0x000000), 0);
}

}  // namespace
