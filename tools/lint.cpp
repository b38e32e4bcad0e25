// tavino-tool lint: reads a scenario with the player's own line reader and
// keyword table and reports, as FILE:LINE: lines, what the player would do
// differently from what the author probably meant. Each statement kind has
// its check; the files it names go through the player's own decoders.
#include "lint.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cp932.h"
#include "lint_assets.h"
#include "scenario/message_layout.h"
#include "scenario/scenario_lines.h"
#include "scene_graph.h"
#include "text/font_layout.h"
#include "tool.h"

namespace {

struct PictureStatement {
  const char* keyword;
  PictureFormat format;
  int runLengthWidth = 640;  // run-length characters are half as wide
};
const PictureStatement kPictureStatements[] = {
    {"HAIKEIJPG", PictureFormat::Jpeg},     {"HAIKEIBMP", PictureFormat::Bmp},
    {"KOUKEIBMP", PictureFormat::Bmp},      {"ZENKEIBMP", PictureFormat::Bmp},
    {"CHARABMP", PictureFormat::Bmp},       {"HAIKEI1", PictureFormat::RunLength},
    {"HAIKEI", PictureFormat::RunLength},   {"CHARA1", PictureFormat::RunLength, 320},
    {"CHARA", PictureFormat::RunLength, 320},    {"HAIKEIPNG", PictureFormat::Png},
    {"KOUKEIPNG", PictureFormat::Png},      {"ZENKEIPNG", PictureFormat::Png},
    {"CHARAPNG", PictureFormat::Png},
};
const char* const kJumps[] = {"GOTO", "IF.FLAG1", "IF.FLAG8", "IF.FLAG16", "IF.FLAG32"};
// Statements whose text the player shows, and so must be cp932 it can draw.
const char* const kShownTexts[] = {"MSG", "SELECT.MSG", "SIORI"};

template <size_t N>
bool isOneOf(const char* keyword, const char* const (&list)[N]) {
  for (const char* k : list) {
    if (std::strcmp(keyword, k) == 0) return true;
  }
  return false;
}

const PictureStatement* pictureStatement(const char* keyword) {
  for (const PictureStatement& p : kPictureStatements) {
    if (std::strcmp(keyword, p.keyword) == 0) return &p;
  }
  return nullptr;
}

std::string hexByte(uint8_t b) {
  char s[8];
  std::snprintf(s, sizeof s, "0x%02X", b);
  return s;
}

struct Linter {
  std::string dir;
  std::FILE* out = nullptr;
  bool printWarnings = true;
  LintSummary summary;
  SceneGraph graph;
  std::map<std::pair<int, int>, int> markNode;  // (file, line) -> node
  std::map<std::string, std::string> checked;  // file already looked at -> its problem
  std::map<std::string, FontGlyphs> fonts;      // by font and kana file names
  int fontInEffect = 0;                         // MsgFont of the last font that loaded
  // Picture numbers the cache keys PNG and JPEG pictures by: number -> where first used.
  struct FirstUse {
    PictureFormat format;
    const std::string* file;
    int line;
  };
  std::map<int, FirstUse> cachedNumbers;

  // Current statement, for the one reporting function.
  const std::string* file = nullptr;
  int line = 0;

  void report(const std::string& message, bool warning = false) { reportAt(*file, line, message, warning); }
  void reportAt(const std::string& name, int at, const std::string& message, bool warning) {
    (warning ? summary.warnings : summary.errors)++;
    if (out && (!warning || printWarnings)) std::fprintf(out, "%s:%d: %s%s\n", name.c_str(), at, warning ? "warning: " : "", message.c_str());
  }

  bool exists(const std::string& name) const {
    struct stat st;
    return stat((dir + name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  // A file's problem is reported at its first mention only (per decoder
  // that reads it: `key` tells them apart).
  template <typename Check>
  void checkOnce(const std::string& key, const std::string& name, Check check) {
    auto [it, fresh] = checked.emplace(key, "");
    if (!fresh) return;
    it->second = check(dir + name);
    if (!it->second.empty()) report(cp932ToUtf8(name) + ": " + it->second);
  }

  const FontGlyphs& font(int msgFont) {
    const char* kana = kanaFileName(msgFont);
    const std::string key = std::string(fontFileName(msgFont)) + '+' + (kana ? kana : "");
    auto it = fonts.find(key);
    if (it == fonts.end()) it = fonts.emplace(key, loadFontGlyphs(dir, msgFont)).first;
    return it->second;
  }

  void lintFile(int index);
  void lintStatement(const ScenarioStatement& s, int fileIndex, const std::map<int, int>& scenes, int& choices);
  void checkText(const char* row, const char* keyword, const char* text);
  void checkPicture(const PictureStatement& p, int n);
};

// Text the player shows: valid cp932, drawable, with a glyph in the font in effect.
void Linter::checkText(const char* row, const char* keyword, const char* arg) {
  const std::string text = arg;
  const size_t column0 = std::strlen(keyword) + 2;  // 1-based column of the argument
  for (size_t i = 0; i < text.size();) {
    const uint8_t b = uint8_t(text[i]);
    const size_t n = cp932CharLength(text, i);
    if (n == 0) {
      report(i + 1 == text.size() && b >= 0x81 ? "column " + std::to_string(column0 + i) +
                                                      ": the text ends inside a double-byte character"
                                                : "byte " + hexByte(b) + " at column " + std::to_string(column0 + i) +
                                                      " is not valid Shift-JIS (code page 932)");
      return;
    }
    if (b < 0x20 || b == 0x7F) {
      report("control byte " + hexByte(b) + " at column " + std::to_string(column0 + i) + " is not drawn");
      return;
    }
    i += n;
  }
  const FontGlyphs& glyphs = font(fontInEffect);
  if (!glyphs.loaded || std::strcmp(row, "SIORI") == 0) return;
  std::string missing;
  int count = 0;
  for (size_t i = 0; i < text.size();) {
    const size_t n = cp932CharLength(text, i);
    const uint8_t lead = uint8_t(text[i]);
    const int trail = n == 2 ? uint8_t(text[i + 1]) : -1;
    const bool space = (n == 1 && lead == 0x20) || (lead == 0x81 && trail == 0x40);
    if (!space && !glyphs.has(lead, trail)) {
      if (count++ < 5) missing += std::string(missing.empty() ? "" : ", ") + "'" + cp932ToUtf8(text.substr(i, n)) +
                                  "' (column " + std::to_string(column0 + i) + ")";
    }
    i += n;
  }
  if (count > 0)
    report(std::string(fontFileName(fontInEffect)) + " has no glyph for " + missing +
           (count > 5 ? " and " + std::to_string(count - 5) + " more" : ""));
}

void Linter::checkPicture(const PictureStatement& p, int n) {
  if (n == 0) return;
  char name[64];
  // Run-length pictures are named by the low 16 bits of their number.
  const int number = p.format == PictureFormat::RunLength ? (n & 0xFFFF) : n;
  std::snprintf(name, sizeof name, p.format == PictureFormat::Png ? "%d.png" : "%d.jpg", number);
  if (!exists(name)) {
    report(std::string("picture file ") + name + " not found");
    return;
  }
  // The cache is keyed by number alone: a cached PNG or JPEG stands in for
  // every later picture of that number, whatever its statement.
  auto [it, fresh] = cachedNumbers.emplace(n, FirstUse{p.format, file, line});
  const FirstUse& first = it->second;
  const auto caching = [](PictureFormat f) { return f == PictureFormat::Png || f == PictureFormat::Jpeg; };
  if (!fresh && first.format != p.format && (caching(p.format) || caching(first.format))) {
    const std::string where = (first.file == file ? "" : *first.file + ":") + std::to_string(first.line);
    report("picture number " + std::to_string(n) + " is also used at line " + where +
               " for another format; the player caches pictures by number and may draw the other one",
           true);
  }
  checkOnce(std::string(name) + ' ' + std::to_string(int(p.format)) + ' ' + std::to_string(p.runLengthWidth), name,
            [&](const std::string& path) { return pictureProblem(path, p.format, p.runLengthWidth); });
}

void Linter::lintStatement(const ScenarioStatement& s, int fileIndex, const std::map<int, int>& scenes,
                           int& choices) {
  line = s.line;
  if (s.length > kScenarioLineKeep) {
    report("line is " + std::to_string(s.length) + " bytes; only the first 103 are read");
  }
  int markNumber = 0;
  if (isSceneMark(s.text, markNumber)) {
    auto it = markNode.find({fileIndex, s.line});
    if (it != markNode.end() && !graph.nodes[size_t(it->second)].reached)
      report("scene " + std::to_string(markNumber) + " is not reached from the start", true);
  }
  const StatementParts parts = splitStatement(s.text.c_str());
  const char* row = matchKeyword(parts.keyword);
  if (!std::strchr(s.text.c_str(), ':')) {
    // Lines without a colon are comments, unless they look like a statement.
    if (const char* looks = matchKeyword(s.text.c_str()))
      report(std::string("no colon: this line is a comment, not ") + looks);
    return;
  }
  if (!row) {
    report(std::string("unknown keyword '") + cp932ToUtf8(parts.keyword) + "': the line does nothing");
    return;
  }
  if (std::strcmp(row, parts.keyword) != 0)
    report(std::string("'") + cp932ToUtf8(parts.keyword) + "' is read as " + row);

  const char* arg = parts.argument;
  const int n = std::atoi(arg);  // as the player reads numbers
  if (isOneOf(row, kShownTexts)) checkText(row, parts.keyword, arg);
  if (const PictureStatement* picture = pictureStatement(row)) {
    checkPicture(*picture, n);
  } else if (isOneOf(row, kJumps)) {
    if (n == 0) {
      report("scene 0 is never searched: the jump goes on with the next line");
    } else if (!scenes.count(n)) {
      report("scene " + std::to_string(n) + " is not in this file");
    }
  } else if (std::strcmp(row, "SELECT.MODE") == 0) {
    choices = 0;
  } else if (std::strcmp(row, "SELECT.MSG") == 0) {
    if (++choices > 6) report("a seventh choice is ignored");
    if (std::strlen(arg) > 26) report("choice text is cut at 26 bytes");
  } else if (std::strcmp(row, "SELECT.GOTO") == 0) {
    if (n == 0) {
      report("SELECT.GOTO:0 fills no row");
    } else if (!scenes.count(n)) {
      report("scene " + std::to_string(n) + " is not in this file");
    }
  } else if (std::strcmp(row, "MSG") == 0) {
    char lines[kMessageLines][kLineBytes];
    if (layoutMessage(arg, lines) > size_t(kMessageLines * kMessageLineText))
      report("message is longer than four lines; the rest is not shown");
  } else if (std::strcmp(row, "MSG.FONT") == 0) {
    const FontGlyphs& f = font(n);
    if (!f.problem.empty()) report(f.problem);
    if (f.loaded) fontInEffect = n;  // a font that does not load leaves the old one
  } else if (std::strcmp(row, "OTO1.WAV") == 0 || std::strcmp(row, "OTO2.WAV") == 0) {
    const std::string name = std::string(arg) + ".wav";
    if (!exists(name)) {
      report("sound file " + cp932ToUtf8(name) + " not found");
    } else {
      checkOnce(name, name, soundProblem);
    }
  } else if (std::strcmp(row, "SINARIO.READ") == 0) {
    if (!exists(arg)) report("scenario file " + cp932ToUtf8(arg) + " not found");
  } else if (std::strcmp(row, "CHARA.ICHI") == 0) {
    if (n < 0 || n > 2) report("character slot must be 0, 1 or 2; the statement is ignored");
  } else if (std::strcmp(row, "SYSTEMSIZE") == 0) {
    const char* x = std::strchr(arg, 'x');
    if (!x) {
      report("no lower-case x between width and height: nothing changes");
    } else {
      const long width = std::atol(arg), height = std::atol(x + 1);
      if (width < 1 || width > 1920 || height < 1 || height > 1080)
        report("design size must be 1x1 to 1920x1080; the statement is refused");
    }
  }
}

void Linter::lintFile(int index) {
  const ScenarioFile& f = graph.files[size_t(index)];
  file = &f.name;
  // Jumps search the file from the top, so the first mark of a number wins.
  std::map<int, int> first;
  for (const ScenarioStatement& s : f.statements) {
    int number = 0;
    if (!isSceneMark(s.text, number)) continue;
    auto [it, fresh] = first.emplace(number, s.line);
    if (!fresh && number != 0)
      reportAt(f.name, s.line, "scene " + std::to_string(number) + " is already marked at line " +
                                   std::to_string(it->second) + "; jumps find that one", false);
  }
  int choices = 0;
  for (const ScenarioStatement& s : f.statements) lintStatement(s, index, first, choices);
}

}  // namespace

LintSummary lintGameFolder(const std::string& dir, const std::string& scenario, std::FILE* out,
                           bool printWarnings) {
  Linter linter;
  linter.printWarnings = printWarnings;
  linter.dir = dir;
  if (!linter.dir.empty() && linter.dir.back() != '/') linter.dir += '/';
  linter.out = out;
  linter.graph = analyseScenes(linter.dir, scenario);
  linter.summary.readable = linter.graph.files[0].opened;
  if (!linter.summary.readable) return linter.summary;
  for (size_t i = 0; i < linter.graph.nodes.size(); i++) {
    const SceneNode& n = linter.graph.nodes[i];
    if (!n.isStart && !n.missing) linter.markNode[{n.file, n.line}] = int(i);
  }
  // The title menu draws with the default font before any statement runs.
  const FontGlyphs& startFont = linter.font(0);
  if (!startFont.loaded) {
    const auto& first = linter.graph.files[0].statements;
    linter.reportAt(scenario, first.empty() ? 1 : first[0].line,
                    startFont.problem + ": the menu and the messages show no text", false);
  }
  for (size_t i = 0; i < linter.graph.files.size(); i++) {
    if (linter.graph.files[i].opened) linter.lintFile(int(i));
  }
  return linter.summary;
}

int toolLint(int argc, char** argv) {
  std::string dir, file = "sinario.txt";
  bool werror = false;
  for (int i = 0; i < argc; i++) {
    if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
      dir = argv[++i];
    } else if (std::strcmp(argv[i], "--werror") == 0) {
      werror = true;
    } else if (argv[i][0] != '-') {
      file = argv[i];
    } else {
      std::fprintf(stderr, "usage: tavino-tool lint [--dir DIR] [--werror] [FILE]\n");
      return 2;
    }
  }
  const LintSummary s = lintGameFolder(dir, file, stdout);
  if (!s.readable) {
    std::fprintf(stderr, "tavino-tool lint: cannot open %s%s%s\n", dir.c_str(),
                 !dir.empty() && dir.back() != '/' ? "/" : "", file.c_str());
    return 2;
  }
  return s.errors > 0 || (werror && s.warnings > 0) ? 1 : 0;
}
