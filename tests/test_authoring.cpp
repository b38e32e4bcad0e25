// The authoring kit. tavino-tool lint: findings come as FILE:LINE: lines,
// from the player's own line reader and keyword table, and name what the
// player would refuse in the pictures, sounds, fonts and texts a scenario
// names. `new` (the game it makes is linted and played by
// scripts/test-install) and the scene map of `graph`.
#include <fnmatch.h>

#include <algorithm>
#include <string>

#include "support/image_support.h"
#include "support/text_support.h"
#include "support/wav_support.h"

namespace {

class Authoring : public PlayerDirTest {
 protected:
  CommandResult lint(const std::string& args = "") {
    return runTool("lint --dir '" + dir_ + "' " + args);
  }
};

}  // namespace

TEST_F(Authoring, CleanGamesGiveNoFindingsAndWarningsFailOnlyUnderWerror) {
  if (!installDemoFont(dir_)) GTEST_SKIP() << "no demo font";
  // Run-length pictures are named by the low 16 bits of their number.
  writeFile("7.png", readFile(std::string(TAVINO_SOURCE_DIR) + "/demo/100.png"));
  writeFile("12.jpg", readFile(corpusPath("jpg-libjpeg-turbo/testorig.jpg")));
  writeFile("4464.jpg", greyRunLength(320 * 480));
  writeFile("sinario.txt",
            "; a comment line\r\nSCENE:1\r\nHAIKEIPNG:7\r\nHAIKEIJPG:12\r\nCHARA:70000\r\n"
            "SELECT.MODE:1\r\nSELECT.MSG:Go\r\nSELECT.GOTO:1\r\nKEYWAIT:\r\n"
            "SYSTEMSIZE:800x600\r\nGOTO:1\r\n");
  CommandResult r = lint("--werror");
  EXPECT_TRUE(r.status == 0 && r.output.empty()) << r.output;
  // Warnings fail only under --werror.
  writeFile("7.jpg", makeBmp(4, 4, 24, [](int, int) { return Rgb{1, 2, 3}; }));
  writeFile("sinario.txt", "SCENE:1\nHAIKEIPNG:7\nCHARABMP:7\nGOTO:1\nSCENE:2\n");
  r = lint();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output,
            "sinario.txt:3: warning: picture number 7 is also used at line 2 for another format; the player "
            "caches pictures by number and may draw the other one\n"
            "sinario.txt:5: warning: scene 2 is not reached from the start\n");
  EXPECT_EQ(lint("--werror").status, 1);
}

TEST_F(Authoring, EachFindingNamesItsLineAndAMissingScenarioIsAnError) {
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
  CommandResult r = lint();
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
  r = lint("nothing.txt");
  EXPECT_TRUE(r.status == 2 && r.output.find("cannot open") != std::string::npos) << r.output;
}

TEST_F(Authoring, NamesWhatThePlayerRefusesWithTheFix) {
  if (!installDemoFont(dir_)) GTEST_SKIP() << "no demo font";
  writeFile("1.png", readFile(corpusPath("png-pngsuite/basi2c08.png")));
  writeFile("2.png", readFile(corpusPath("png-pngsuite/basn3p08.png")));
  // A baseline file whose frame marker says progressive.
  std::string progressive = readFile(corpusPath("jpg-libjpeg-turbo/testorig.jpg"));
  progressive[progressive.find("\xff\xc0") + 1] = '\xc2';
  writeFile("3.jpg", progressive);
  writeFile("4.jpg", readFile(corpusPath("bmp-bmpsuite/g/rgb24pal.bmp")));  // a palette before the pixels
  writeFile("5.jpg", makeBmp(1921, 1, 24, [](int, int) { return Rgb{1, 2, 3}; }));
  writeFile("6.jpg", readFile(corpusPath("png-pngsuite/basn2c08.png")));
  writeFile("float.wav", wavFile(2, 32, 22050, std::string(22050 * 8, '\0'), 3));
  writeFile("slow.wav", wavFile(1, 8, 500, std::string(500, '\x80')));
  writeFile("7.jpg", greyRunLength(512));
  writeFile("sinario.txt",
            "SCENE:1\nHAIKEIPNG:1\nHAIKEIPNG:2\nHAIKEIJPG:3\nHAIKEIBMP:4\nHAIKEIBMP:5\nHAIKEIJPG:6\n"
            "OTO1.WAV:float\nOTO2.WAV:slow\nMSG:ab\x85\x40\nSELECT.MSG:\x82\xa0\xf0\x40\nHAIKEIPNG:1\nHAIKEI:7\n");
  const CommandResult r = lint();
  EXPECT_EQ(r.status, 1);
  // The output as printed, but for SDL's own words (the stars) in the sound findings.
  EXPECT_EQ(fnmatch("sinario.txt:2: 1.png: interlaced PNG: save it without interlacing\n"
                    "sinario.txt:3: 2.png: palette PNG: save as RGB or RGBA\n"
                    "sinario.txt:4: 3.jpg: progressive JPEG: save as baseline\n"
                    "sinario.txt:5: 4.jpg: BMP pixels start at byte 1078, the player reads from byte 54: "
                    "save as a plain 24-bit BMP\n"
                    "sinario.txt:6: 5.jpg: picture is 1921 x 1, larger than 1920 x 1080\n"
                    "sinario.txt:7: 6.jpg: this is a PNG file, but the statement reads a JPEG: "
                    "use the statement for its format or convert the file\n"
                    "sinario.txt:8: float.wav: SDL cannot load it (*): save as uncompressed 8- or 16-bit PCM WAV\n"
                    "sinario.txt:9: slow.wav: SDL cannot convert mono sound at 500 Hz to the player's format: *"
                    "save as 8- or 16-bit PCM, mono or stereo, 1000 to 384000 Hz\n"
                    "sinario.txt:10: byte 0x85 at column 7 is not valid Shift-JIS (code page 932)\n"
                    "sinario.txt:11: pelorune96.dat has no glyph for '\xee\x80\x80' (column 14)\n"
                    "sinario.txt:13: 7.jpg: run-length stream ends after 513 of 307200 pixels: the rest of the "
                    "picture is not drawn: encode it again with tavino-tool rle encode\n",
                    r.output.c_str(), 0),
            0)
      << r.output;
}

TEST_F(Authoring, NewRefusesAFolderThatIsNotEmpty) {
  writeFile("keep.txt", "mine");
  const CommandResult r = runTool("new '" + dir_ + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  EXPECT_NE(r.output.find("not empty"), std::string::npos);
  EXPECT_FALSE(fileExists("sinario.txt"));
}

TEST_F(Authoring, GraphShowsEveryKindOfMoveBetweenScenes) {
  writeFile("sinario.txt",
            "SIORI:x\nSCENE:1\nMSG:Hello \"you\"\nFLAG8:3\nIF.FLAG8:3\n"
            "SCENE:2\nSELECT.MODE:1\nSELECT.MSG:Left\nSELECT.GOTO:3\nSELECT.MSG:Nowhere\nSELECT.GOTO:9\nKEYWAIT:\n"
            "SCENE:3\nSINARIO.READ:other.txt\nSCENE:4\nGOTO:2\n");
  writeFile("other.txt", "SCENE:7\r\nMSG:end\r\n");
  const CommandResult r = runTool("graph --dir '" + dir_ + "'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output,
            "digraph scenes {\n"
            "  graph [fontname=\"sans-serif\"];\n"
            "  node [shape=box, style=rounded, fontname=\"sans-serif\"];\n"
            "  edge [fontname=\"sans-serif\", fontsize=10];\n"
            "  subgraph \"cluster_0\" {\n"
            "    label=\"sinario.txt\";\n"
            "    n0 [label=\"start\"];\n"
            "    n1 [label=\"scene 1\\nHello \\\"you\\\"\"];\n"
            "    n2 [label=\"scene 2\"];\n"
            "    n3 [label=\"scene 3\"];\n"
            "    n4 [label=\"scene 4\\n(not reached)\", style=\"rounded,dashed\", color=gray50, fontcolor=gray50];\n"
            "    n6 [label=\"scene 9\\n(missing)\", color=red, fontcolor=red];\n"
            "  }\n"
            "  subgraph \"cluster_1\" {\n"
            "    label=\"other.txt\";\n"
            "    n5 [label=\"scene 7\\nend\\n(end)\", peripheries=2];\n"
            "  }\n"
            "  n0 -> n1 [style=dashed];\n"
            "  n1 -> n3 [label=\"FLAG8[3]\"];\n"
            "  n1 -> n2 [style=dashed];\n"
            "  n2 -> n3 [label=\"Left\", style=bold];\n"
            "  n2 -> n6 [label=\"Nowhere\", style=bold];\n"
            "  n3 -> n5 [label=\"SINARIO.READ\"];\n"
            "  n4 -> n2;\n"
            "}\n");
}
