// tavino-tool play: scripted keys through the real main loop, the recorded
// frames and the state dump.
#include <string>

#include "support/play_support.h"

using PlayTool = PlayerDirTest;

// The first Return starts the game; then each advance adds one. Space, after
// the rest, opens the menu; joystick button 16 and a quit end the play early.
TEST_F(PlayTool, EveryAdvanceInputAdvancesAndTheOthersDoNot) {
  writeFile("sinario.txt", kCounting);
  const std::pair<const char*, const char*> cases[] = {
      {"enter,enter,kpenter,click,wheeldown,joy:13,up,down,kp8,kp2,joy:4,joy:6,space", "0:6 1"},
      {"enter,joy:16,enter", "0:1 0"}, {"enter,quit,enter", "0:1 0"}};
  for (const auto& [keys, want] : cases) {
    const PlayRun r = playScenario(dir_, keys);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.state.at("gFlag8") + " " + (r.state.at("menumode") == "0" ? "0" : "1"), want) << keys;
  }
}

TEST_F(PlayTool, StateDumpListsEveryFieldInItsOrder) {
  writeFile("sinario.txt",
            "SIORI:ab\x82\xa0\nKISYU:PSP\nFLAG1:2047\nFLAG1.SET:1\nFLAG8:3\nFLAG8.SET:-7\n"
            "FLAG16.SET:300\nFLAG32:63\nFLAG32.SET:123456\nSCENE:5\nKEYWAIT:\n");
  ASSERT_EQ(playScenario(dir_, "enter").status, 0);
  EXPECT_EQ(readFile(dir_ + "/state.txt"),
            "menumode=0\nSceneNum=5\nKeyWait=1\nNoWait=0\ngSaveFlag=0\nSinaFile=sinario.txt\n"
            "siori=616282a0\nSystemSizeW=480\nSystemSizeH=272\nKisyuMode=2\nSystemMode=0\n"
            "HaikeiCG=0\nHaikeiCGtype=16777215\nKoukeiCG=0\nKoukeiCGtype=0\nZenkeiCG=0\n"
            "ZenkeiCGtype=0\nCharaCG=0,0,0\nCharaCGtype=0,0,0\nCharaIchi=0\nCgBright=0\n"
            "CgBrighttype=0\nMsgColor=0\nMsgFont=0\nMsg1=\nMsg2=\nMsg3=\nMsg4=\nSelectMode=0\n"
            "SelectNow=0\nSelectMsg1=\nSelectMsg2=\nSelectMsg3=\nSelectMsg4=\nSelectMsg5=\n"
            "SelectMsg6=\nSelectGoto=0,0,0,0,0,0\ngFlag1Now=2047\ngFlag8Now=3\ngFlag16Now=0\n"
            "gFlag32Now=63\ngFlag1=2047:1\ngFlag8=3:-7\ngFlag16=0:300\ngFlag32=63:123456\n"
            "skip=0\nauto=0\nhidden=0\nfullscreen=0\nvolume=100\nmuted=0\n"
            "historyOpen=0\nhistoryEntries=0\nrollbackSteps=0\n");
}
