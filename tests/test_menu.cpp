// The system menu's state machine, driven the way the main loop drives it:
// one call per pass with the last polled event in `event`.
#include <sys/stat.h>

#include <cstring>

#include "main/platform.h"
#include "main/sdl_state.h"
#include "menu/menu.h"
#include "menu/menu_labels.h"
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

TEST_F(MenuTest, LoadingASlotClosesTheMenuWithTheSavedState) {
  writeFile("sinario.txt", "SCENE:1\r\nMSG:a\r\nSCENE:12\r\nMSG:b\r\n");
  writeFile("tavino.sav", "3SCENENUM:12\r\n3SINAFILE:sinario.txt\r\n3FLAG8   :121\r\n\r\n");
  gFlag32[1] = 77;
  openMenu();
  pressAndRelease(SDLK_UP);
  pressAndRelease(SDLK_RETURN);
  ASSERT_EQ(menumode, 13);
  for (int i = 0; i < 3; ++i) pressAndRelease(SDLK_DOWN);
  press(SDLK_RETURN);
  EXPECT_EQ(menumode, 0);
  EXPECT_EQ(SceneNum, 12);
  EXPECT_EQ(gFlag8[0], 1);
  EXPECT_EQ(gFlag32[1], 77);
  EXPECT_EQ(SystemSizeW, 1920);
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

TEST_F(MenuTest, LabelsAreWholeDoubleByteCharacters) {
  EXPECT_EQ(std::string(kMenuHeader), "Tavinoweft Windows v13  ");
  // Whole double-byte characters only, so no label draws half a glyph (the
  // greyed entry draws 9 bytes, which the drawer completes to 5 characters).
  for (const char* label : {kMenuCursor, kMenuReturn, kMenuSave, kMenuSaveGreyed, kMenuLoad,
                            kMenuRestart, kMenuBack, kMenuSaveTitle, kMenuSavedTitle, kMenuLoadTitle}) {
    size_t len = std::strlen(label);
    for (size_t i = 0; i < len; i += 2) {
      uint8_t lead = uint8_t(label[i]);
      EXPECT_TRUE((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) << label;
      EXPECT_GE(uint8_t(label[i + 1]), 0x40);
    }
  }
}

}  // namespace
