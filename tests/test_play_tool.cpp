// tavino-tool play: scripted keys through the real main loop, the recorded
// frames and the state dump.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>

#include "scenario/engine_state.h"
#include "scenario/statements.h"
#include "support/test_support.h"

namespace {

class PlayTool : public PlayerDirTest {
 protected:
  CommandResult play(const std::string& keys, const std::string& extra = "") {
    return runCommand(std::string(TAVINO_TOOL) + " play --dir '" + dir_ + "' --keys '" + keys +
                      "' --state '" + dir_ + "/state.txt' " + extra + " 2>&1");
  }
  std::map<std::string, std::string> state() {
    std::map<std::string, std::string> values;
    std::istringstream in(readFile(dir_ + "/state.txt"));
    std::string line;
    while (std::getline(in, line)) {
      const size_t eq = line.find('=');
      values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
  }
  int frames(const std::string& folder) {
    int n = 0;
    char name[32];
    for (;;) {
      std::snprintf(name, sizeof name, "/frame-%04d.ppm", n + 1);
      if (!fileExists(folder + name)) return n;
      n++;
    }
  }
};

// Each advance adds 1 to entry 0 of gFlag8.
const char kCounting[] = "SCENE:1\nFLAG8.PLUS:1\nKEYWAIT:\nGOTO:1\n";

}  // namespace

TEST_F(PlayTool, EveryAdvanceInputAdvancesAndTheOthersDoNot) {
  writeFile("sinario.txt", kCounting);
  const CommandResult r =
      play("enter,enter,kpenter,click,wheeldown,joy:13,wheelup,up,down,kp8,kp2,joy:4,joy:6");
  ASSERT_EQ(r.status, 0) << r.output;
  auto s = state();
  EXPECT_EQ(s["gFlag8"], "0:6") << "the first Return starts the game";
  EXPECT_EQ(s["menumode"], "0");
  EXPECT_EQ(s["SceneNum"], "1");
}

TEST_F(PlayTool, JoystickButton16AndQuitEndThePlayEarly) {
  writeFile("sinario.txt", kCounting);
  ASSERT_EQ(play("enter,joy:16,enter").status, 0);
  EXPECT_EQ(state()["gFlag8"], "0:1");
  ASSERT_EQ(play("enter,quit,enter").status, 0);
  EXPECT_EQ(state()["gFlag8"], "0:1");
}

TEST_F(PlayTool, SpaceOpensTheMenu) {
  writeFile("sinario.txt", kCounting);
  ASSERT_EQ(play("enter,space").status, 0);
  EXPECT_NE(state()["menumode"], "0");
}

TEST_F(PlayTool, StateDumpListsEveryFieldInItsOrder) {
  writeFile("sinario.txt",
            "SIORI:ab\x82\xa0\nKISYU:PSP\nFLAG1:2047\nFLAG1.SET:1\nFLAG8:3\nFLAG8.SET:-7\n"
            "FLAG16.SET:300\nFLAG32:63\nFLAG32.SET:123456\nSCENE:5\nKEYWAIT:\n");
  ASSERT_EQ(play("enter").status, 0);
  EXPECT_EQ(readFile(dir_ + "/state.txt"),
            "menumode=0\nSceneNum=5\nKeyWait=1\nNoWait=0\ngSaveFlag=0\nSinaFile=sinario.txt\n"
            "siori=616282a0\nSystemSizeW=480\nSystemSizeH=272\nKisyuMode=2\nSystemMode=0\n"
            "HaikeiCG=0\nHaikeiCGtype=16777215\nKoukeiCG=0\nKoukeiCGtype=0\nZenkeiCG=0\n"
            "ZenkeiCGtype=0\nCharaCG=0,0,0\nCharaCGtype=0,0,0\nCharaIchi=0\nCgBright=0\n"
            "CgBrighttype=0\nMsgColor=0\nMsgFont=0\nMsg1=\nMsg2=\nMsg3=\nMsg4=\nSelectMode=0\n"
            "SelectNow=0\nSelectMsg1=\nSelectMsg2=\nSelectMsg3=\nSelectMsg4=\nSelectMsg5=\n"
            "SelectMsg6=\nSelectGoto=0,0,0,0,0,0\ngFlag1Now=2047\ngFlag8Now=3\ngFlag16Now=0\n"
            "gFlag32Now=63\ngFlag1=2047:1\ngFlag8=3:-7\ngFlag16=0:300\ngFlag32=63:123456\n");
}

TEST_F(PlayTool, FramesAreTheWindowAndFollowTheDesignSize) {
  writeFile("sinario.txt", "SCENE:1\nSYSTEMSIZE:800x600\nKEYWAIT:\n");
  const std::string out = dir_ + "/frames";
  ASSERT_EQ(play("enter", "--frames '" + out + "'").status, 0);
  ASSERT_EQ(frames(out), 2) << "the title, then the key wait";
  PpmImage title, scene;
  ASSERT_TRUE(readPpm(out + "/frame-0001.ppm", title));
  ASSERT_TRUE(readPpm(out + "/frame-0002.ppm", scene));
  EXPECT_EQ(scene.width, 1280);
  EXPECT_EQ(scene.height, 720);
  // 800 x 600 scales to 960 x 720 centred at x = 160; the rest is black.
  EXPECT_EQ(std::memcmp(scene.at(159, 360), "\0\0\0", 3), 0);
  EXPECT_EQ(std::memcmp(scene.at(160, 360), "\xff\xff\xff", 3), 0);
  EXPECT_EQ(std::memcmp(scene.at(1119, 0), "\xff\xff\xff", 3), 0);
  EXPECT_EQ(std::memcmp(scene.at(1120, 719), "\0\0\0", 3), 0);
}

TEST_F(PlayTool, ColourScenarioShowsItsColoursAndBrightness) {
  // Needs the picture statements; until they act there is nothing to see.
  HaikeiCGtype = 0;
  stmtHaikeiClear("255");
  if (HaikeiCGtype != 255) GTEST_SKIP() << "picture statements not built yet";

  writeFile("sinario.txt",
            "SCENE:1\nHAIKEI.CLEAR:16711680\nCG.BRIGHT:50\nKEYWAIT:\n"
            "HAIKEI.CLEAR:65280\nCG.BRIGHT:100\nNOWAIT:0\nCG.BRIGHT:150\nHAIKEI.CLEAR:6579300\n"
            "KEYWAIT:\n");
  const std::string out = dir_ + "/frames";
  ASSERT_EQ(play("enter,enter", "--frames '" + out + "' --mode 130").status, 0);
  ASSERT_EQ(frames(out), 4);
  PpmImage f;
  ASSERT_TRUE(readPpm(out + "/frame-0002.ppm", f));
  EXPECT_EQ(f.width, 720);
  EXPECT_EQ(std::memcmp(f.at(360, 100), "\x7f\0\0", 3), 0) << "red at half brightness";
  ASSERT_TRUE(readPpm(out + "/frame-0003.ppm", f));
  EXPECT_EQ(std::memcmp(f.at(360, 100), "\0\xff\0", 3), 0) << "green, brightness off";
  ASSERT_TRUE(readPpm(out + "/frame-0004.ppm", f));
  EXPECT_EQ(std::memcmp(f.at(360, 100), "\x96\x96\x96", 3), 0) << "0x646464 at 150%";
  EXPECT_EQ(std::memcmp(f.at(360, 30), "\0\0\0", 3), 0) << "letterbox";
}

TEST_F(PlayTool, SleepKeepsThePlayerRunning) {
  writeFile("sinario.txt", kCounting);
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_EQ(play("sleep:400").status, 0);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(400));
}

TEST_F(PlayTool, BadKeyListIsRefused) {
  const CommandResult r = play("enter,jump");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("jump"), std::string::npos);
  EXPECT_EQ(play("joy:99").status, 2);
  EXPECT_EQ(play("sleep:x").status, 2);
}

TEST_F(PlayTool, MissingScenarioPlaysEmpty) {
  const CommandResult r = play("enter,enter");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("sinario.txt"), std::string::npos);
  EXPECT_EQ(state()["KeyWait"], "1");
}

TEST_F(PlayTool, BundledDemoPlaysToItsEnd) {
  const std::string copy = std::string("cp '") + TAVINO_SOURCE_DIR + "/demo/'* '" + dir_ + "'";
  ASSERT_EQ(std::system(copy.c_str()), 0);
  // The same keys as ./run without a display: through the choice, right way.
  const CommandResult r =
      play("enter,enter,enter,enter,enter,enter,down,down,enter,enter,enter,enter,enter");
  ASSERT_EQ(r.status, 0) << r.output;
  auto s = state();
  EXPECT_EQ(s["SceneNum"], "5");
  EXPECT_EQ(s["gFlag8"], "0:2") << "the right-hand choice";
  EXPECT_EQ(s["CgBrighttype"], "0") << "faded out";
  EXPECT_EQ(s["MsgColor"], "16777215") << "the last message is shown";
  EXPECT_EQ(s["siori"], "44656d6f");
}
