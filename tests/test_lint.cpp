// tavino-tool lint: findings come as FILE:LINE: lines, from the player's own
// line reader and keyword table.
#include <string>

#include "support/image_support.h"
#include "support/text_support.h"

namespace {

class Lint : public PlayerDirTest {
 protected:
  CommandResult lint(const std::string& args = "") {
    return runCommand(std::string(TAVINO_TOOL) + " lint --dir '" + dir_ + "' " + args + " 2>&1");
  }
};

}  // namespace

TEST_F(Lint, ACleanScenarioGivesNoFindings) {
  // Run-length pictures are named by the low 16 bits of their number.
  writeFile("7.png", readFile(std::string(TAVINO_SOURCE_DIR) + "/demo/100.png"));
  writeFile("12.jpg", readFile(corpusPath("jpg-libjpeg-turbo/testorig.jpg")));
  writeFile("4464.jpg", greyRunLength(320 * 480));
  if (!installDemoFont(dir_)) GTEST_SKIP() << "no demo font";
  writeFile("sinario.txt",
            "; a comment line\r\nSCENE:1\r\nHAIKEIPNG:7\r\nHAIKEIJPG:12\r\nCHARA:70000\r\n"
            "SELECT.MODE:1\r\nSELECT.MSG:Go\r\nSELECT.GOTO:1\r\nKEYWAIT:\r\n"
            "SYSTEMSIZE:800x600\r\nGOTO:1\r\n");
  const CommandResult r = lint();
  EXPECT_TRUE(r.status == 0 && r.output.empty()) << r.output;
}

TEST_F(Lint, EachFindingNamesItsLine) {
  writeFile("other.txt", "SCENE:1\nGOTO:9\n");
  writeFile("sinario.txt",
            "SCENE:1\n"                              // 1
            "\n"                                      // 2: blank lines still count
            "KEYWAIT\r\n"                             // 3: CR LF is one line end
            "MSG.COLORX:5\r"                          // 4: a lone CR ends a line too
            "msg:lower case\n"                        // 5
            "HAIKEIPNG:3\n"                           // 6
            "GOTO:0\n"                                // 7
            "IF.FLAG8:5\n"                            // 8
            "SELECT.MSG:" + std::string(30, 'a') + "\n"  // 9
            "SELECT.GOTO:0\n"                         // 10
            "CHARA.ICHI:3\n"                          // 11
            "SYSTEMSIZE:800X600\n"                    // 12
            "SYSTEMSIZE:2000x600\n"                   // 13
            "OTO2.WAV:none\n"                         // 14
            "MSG:" + std::string(98, 'b') + "\n"      // 15
            "SCENE:1\n"                               // 16
            "FLAG1.PLUS:5\n"                          // 17
            "SINARIO.READ:other.txt\n"                // 18
            "MSG:" + std::string(110, 'c'));          // 19: no line end at the end
  const CommandResult r = lint();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output,
            "sinario.txt:1: font file pelorune96.dat not found: the menu and the messages show no text\n"
            "sinario.txt:16: scene 1 is already marked at line 1; jumps find that one\n"
            "sinario.txt:3: no colon: this line is a comment, not KEYWAIT\n"
            "sinario.txt:4: 'MSG.COLORX' is read as MSG.COLOR\n"
            "sinario.txt:5: unknown keyword 'msg': the line does nothing\n"
            "sinario.txt:6: picture file 3.png not found\n"
            "sinario.txt:7: scene 0 is never searched: the jump goes on with the next line\n"
            "sinario.txt:8: scene 5 is not in this file\n"
            "sinario.txt:9: choice text is cut at 26 bytes\n"
            "sinario.txt:10: SELECT.GOTO:0 fills no row\n"
            "sinario.txt:11: character slot must be 0, 1 or 2; the statement is ignored\n"
            "sinario.txt:12: no lower-case x between width and height: nothing changes\n"
            "sinario.txt:13: design size must be 1x1 to 1920x1080; the statement is refused\n"
            "sinario.txt:14: sound file none.wav not found\n"
            "sinario.txt:15: message is longer than four lines; the rest is not shown\n"
            "sinario.txt:17: 'FLAG1.PLUS' is read as FLAG1\n"
            "sinario.txt:19: line is 114 bytes; only the first 103 are read\n"
            "sinario.txt:19: message is longer than four lines; the rest is not shown\n"
            "other.txt:2: scene 9 is not in this file\n");
}

TEST_F(Lint, AMissingScenarioIsAnError) {
  const CommandResult r = lint("nothing.txt");
  EXPECT_TRUE(r.status == 2 && r.output.find("cannot open") != std::string::npos) << r.output;
}
