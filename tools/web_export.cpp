// tavino-tool web: exports a game folder as a static web page: index.html,
// the player built for the browser (tavino.js, tavino.wasm), and the game's
// files packed into game.data with their names and sizes in game.json.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "main/video_modes.h"
#include "scenario/wav_codec.h"
#include "tool.h"
#include "web_game_check.h"
#include "web_page.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: tavino-tool web GAME_DIR OUT_DIR [--mode N] [--player DIR]\n");
  return 2;
}

bool isFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool makeDirectories(const std::string& path) {
  for (size_t i = 1; i <= path.size(); i++) {
    if (i == path.size() || path[i] == '/') {
      if (mkdir(path.substr(0, i).c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
  }
  return true;
}

bool writeFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// The files the player writes itself belong to each player, not the game.
bool writtenByPlayer(const std::string& name) {
  return name == "tavino.sav" || name == "tavino.seen";
}

// Names go into JSON and the browser's file system as they are, so they are
// kept to printable ASCII.
bool plainName(const std::string& name) {
  return std::all_of(name.begin(), name.end(), [](unsigned char c) {
    return c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '/';
  });
}

struct GameFiles {
  std::vector<std::string> names;
  std::string packed;
};

bool packGame(const std::string& dir, GameFiles& game) {
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  while (dirent* entry = readdir(d)) {
    const std::string name = entry->d_name;
    if (name[0] == '.' || writtenByPlayer(name) || !isFile(dir + name)) continue;
    if (!plainName(name)) {
      std::fprintf(stderr, "tavino-tool web: skipping %s%s: only plain ASCII names are packed\n",
                   dir.c_str(), name.c_str());
      continue;
    }
    game.names.push_back(name);
  }
  closedir(d);
  std::sort(game.names.begin(), game.names.end());
  return true;
}

// The browser's player reads only uncompressed PCM; SDL's ADPCM decoders
// are desktop-only, and a sound it cannot read stops the scenario there.
void warnIfSilentInBrowser(const std::string& path, const std::string& bytes) {
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".wav") != 0) return;
  WavSound sound;
  if (!wavParse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), sound))
    std::printf("warning: %s: not an uncompressed PCM WAV file; the web player cannot load it\n",
                path.c_str());
}

std::string manifest(const std::string& dir, GameFiles& game, int mode, WindowSize size, bool& ok) {
  std::string json = "{\"mode\":" + std::to_string(mode) +
                     ",\"width\":" + std::to_string(size.width) +
                     ",\"height\":" + std::to_string(size.height) + ",\"files\":[";
  for (size_t i = 0; i < game.names.size(); i++) {
    std::string bytes;
    if (!readWholeFile((dir + game.names[i]).c_str(), bytes)) {
      std::fprintf(stderr, "tavino-tool web: cannot read %s%s\n", dir.c_str(),
                   game.names[i].c_str());
      ok = false;
      return "";
    }
    warnIfSilentInBrowser(dir + game.names[i], bytes);
    game.packed += bytes;
    json += std::string(i ? "," : "") + "{\"name\":\"" + game.names[i] +
            "\",\"size\":" + std::to_string(bytes.size()) + "}";
  }
  return json + "]}\n";
}

}  // namespace

int toolWeb(int argc, char** argv) {
  std::string gameDir, outDir, player = TAVINO_WEB_BUILD_DIR;
  int mode = 131;
  for (int i = 0; i < argc; i++) {
    const std::string arg = argv[i];
    if (arg == "--mode" && i + 1 < argc) {
      mode = std::atoi(argv[++i]);
    } else if (arg == "--player" && i + 1 < argc) {
      player = argv[++i];
    } else if (arg[0] == '-') {
      return usage();
    } else if (gameDir.empty()) {
      gameDir = arg;
    } else if (outDir.empty()) {
      outDir = arg;
    } else {
      return usage();
    }
  }
  if (gameDir.empty() || outDir.empty()) return usage();
  if (gameDir.back() != '/') gameDir += '/';
  if (player.empty() || player.back() != '/') player += '/';

  const WindowSize size = videoModeSize(mode);
  if (size.width == 0) {
    std::fprintf(stderr, "tavino-tool web: video mode %d has no window size\n", mode);
    return 1;
  }
  if (gameFolderHasErrors(gameDir)) {
    std::fprintf(stderr, "tavino-tool web: %s has errors; nothing exported\n", gameDir.c_str());
    return 1;
  }
  std::string js, wasm;
  if (!readWholeFile((player + "tavino.js").c_str(), js) ||
      !readWholeFile((player + "tavino.wasm").c_str(), wasm)) {
    std::fprintf(stderr,
                 "tavino-tool web: no web player (tavino.js, tavino.wasm) in %s; "
                 "scripts/build-web builds it\n",
                 player.c_str());
    return 1;
  }

  GameFiles game;
  if (!packGame(gameDir, game)) {
    std::fprintf(stderr, "tavino-tool web: cannot read the folder %s\n", gameDir.c_str());
    return 1;
  }
  bool ok = true;
  const std::string json = manifest(gameDir, game, mode, size, ok);
  if (!ok) return 1;

  if (outDir.back() != '/') outDir += '/';
  if (!makeDirectories(outDir.substr(0, outDir.size() - 1))) {
    std::fprintf(stderr, "tavino-tool web: cannot create %s\n", outDir.c_str());
    return 1;
  }
  const std::pair<const char*, const std::string*> outputs[] = {{"tavino.js", &js},
                                                                {"tavino.wasm", &wasm},
                                                                {"game.data", &game.packed},
                                                                {"game.json", &json}};
  for (const auto& [name, bytes] : outputs) {
    if (!writeFile(outDir + name, *bytes)) {
      std::fprintf(stderr, "tavino-tool web: cannot write %s%s\n", outDir.c_str(), name);
      return 1;
    }
  }
  // The page last: a folder with an index.html is a finished export.
  if (!writeFile(outDir + "index.html", kWebPage)) {
    std::fprintf(stderr, "tavino-tool web: cannot write %sindex.html\n", outDir.c_str());
    return 1;
  }
  std::printf("exported %zu game files to %s\n", game.names.size(), outDir.c_str());
  return 0;
}
