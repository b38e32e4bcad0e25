// tavino-tool web: what it exports, and the games it refuses. The browser
// test plays an exported game against the native player's frames; the WAV
// fuzz target checks that the web build reads, converts and mixes the files
// SDL plays to SDL's very bytes.
#include <string>

#include "support/test_support.h"
#include "support/wav_support.h"

namespace {

class WebExport : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    makeGame();
  }
  void makeGame() {
    // A stand-in for the web build, so these tests need no emscripten.
    runCommand("mkdir -p player game");
    writeFile("player/tavino.js", "// player\n");
    writeFile("player/tavino.wasm", std::string("\0asm", 4));
    writeFile("game/sinario.txt", "SCENE:1\r\nHAIKEIPNG:7\r\nMSG:hello\r\n");
    // Real files: the export refuses what the player would refuse.
    writeFile("game/7.png", readFile(TAVINO_SOURCE_DIR "/demo/100.png"));
    writeFile("game/pelorune96.dat", readFile(TAVINO_FONT));
  }
  CommandResult exportGame(const std::string& options = "") {
    return runCommand(std::string(TAVINO_TOOL) + " web game out --player player " + options +
                      " 2>&1");
  }
};

}  // namespace

TEST_F(WebExport, WritesThePagePlayerAndPackedGame) {
  writeFile("game/tavino.sav", "a player's own saves");
  writeFile("game/adpcm.wav", wavFile(1, 4, 22050, std::string(12, '\x04'), 2));
  const CommandResult r = exportGame("--mode 130");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("warning: game/adpcm.wav: not an uncompressed PCM WAV file"),
            std::string::npos)
      << r.output;
  // Sorted by name, with their sizes; saves left out.
  const auto size = [&](const char* name) { return std::to_string(readFile(std::string("game/") + name).size()); };
  EXPECT_EQ(readFile("out/game.json"),
            "{\"mode\":130,\"width\":720,\"height\":480,\"files\":[{\"name\":\"7.png\",\"size\":" +
                size("7.png") + "},{\"name\":\"adpcm.wav\",\"size\":" + size("adpcm.wav") +
                "},{\"name\":\"pelorune96.dat\",\"size\":" + size("pelorune96.dat") +
                "},{\"name\":\"sinario.txt\",\"size\":33}]}\n");
}

TEST_F(WebExport, RefusesGamesThatWouldNotStart) {
  const struct {
    const char* what;
    const char* setup;
    const char* options;
    const char* says;
  } cases[] = {
      {"no scenario", "rm game/sinario.txt", "", "sinario.txt: not found"},
      {"a lint error", "rm game/7.png", "", "picture file 7.png not found"},
      {"an unknown video mode", "true", "--mode 300", "video mode 300"},
      {"no web player", "rm player/tavino.wasm", "", "scripts/build-web"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    makeGame();
    runCommand(std::string("rm -rf out; ") + c.setup);
    const CommandResult r = exportGame(c.options);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
    EXPECT_FALSE(fileExists("out/index.html"));
  }
}
