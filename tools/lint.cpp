// tavino-tool lint: reads a scenario with the player's own line reader and
// keyword table and reports, as FILE:LINE: lines, what the player would do
// differently from what the author probably meant.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "scenario/message_layout.h"
#include "scenario/scenario_lines.h"
#include "text/font_layout.h"
#include "tool.h"

namespace {

struct Statement {
  int line;
  size_t length;  // before the 103-byte cut
  std::string text;
};

struct Linter {
  std::string dir;
  int findings = 0;
  std::set<std::string> visited;
  std::vector<std::string> pending;

  void report(const std::string& file, int line, const std::string& message) {
    std::printf("%s:%d: %s\n", file.c_str(), line, message.c_str());
    findings++;
  }

  bool exists(const std::string& name) const {
    struct stat st;
    return stat((dir + name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  bool lintFile(const std::string& name);
  void lintStatement(const std::string& file, const Statement& s,
                     const std::map<int, int>& scenes, int& choices);
};

bool readStatements(FILE* f, std::vector<Statement>& out) {
  ScenarioLinePosition where;
  char line[112];
  for (;;) {
    const bool ended = readScenarioLine(f, line, sizeof line, &where);
    // The line end that closed the statement already counted the next line.
    if (line[0] != 0) out.push_back({ended ? where.number - 1 : where.number, where.length, line});
    if (!ended) return true;
  }
}

const char* const kJpgStyle[] = {"HAIKEIJPG", "HAIKEIBMP", "KOUKEIBMP", "ZENKEIBMP", "CHARABMP"};
const char* const kRunLength[] = {"HAIKEI1", "HAIKEI", "CHARA1", "CHARA"};
const char* const kPngStyle[] = {"HAIKEIPNG", "KOUKEIPNG", "ZENKEIPNG", "CHARAPNG"};
const char* const kJumps[] = {"GOTO", "IF.FLAG1", "IF.FLAG8", "IF.FLAG16", "IF.FLAG32"};

template <size_t N>
bool isOneOf(const char* keyword, const char* const (&list)[N]) {
  for (const char* k : list) {
    if (std::strcmp(keyword, k) == 0) return true;
  }
  return false;
}

void Linter::lintStatement(const std::string& file, const Statement& s,
                           const std::map<int, int>& scenes, int& choices) {
  auto say = [&](const std::string& m) { report(file, s.line, m); };
  if (s.length > kScenarioLineKeep) {
    say("line is " + std::to_string(s.length) + " bytes; only the first 103 are read");
  }
  const StatementParts parts = splitStatement(s.text.c_str());
  const char* row = matchKeyword(parts.keyword);
  if (!std::strchr(s.text.c_str(), ':')) {
    // Lines without a colon are comments, unless they look like a statement.
    if (const char* looks = matchKeyword(s.text.c_str()))
      say(std::string("no colon: this line is a comment, not ") + looks);
    return;
  }
  if (!row) {
    say(std::string("unknown keyword '") + parts.keyword + "': the line does nothing");
    return;
  }
  if (std::strcmp(row, parts.keyword) != 0)
    say(std::string("'") + parts.keyword + "' is read as " + row);

  const char* arg = parts.argument;
  const long n = std::atol(arg);
  char name[64];
  if (isOneOf(row, kJpgStyle) || isOneOf(row, kRunLength) || isOneOf(row, kPngStyle)) {
    if (n == 0) return;
    const long number = isOneOf(row, kRunLength) ? (n & 0xFFFF) : n;
    std::snprintf(name, sizeof name, isOneOf(row, kPngStyle) ? "%ld.png" : "%ld.jpg", number);
    if (!exists(name)) say(std::string("picture file ") + name + " not found");
  } else if (isOneOf(row, kJumps)) {
    if (n == 0) {
      say("scene 0 is never searched: the jump goes on with the next line");
    } else if (!scenes.count(int(n))) {
      say("scene " + std::to_string(n) + " is not in this file");
    }
  } else if (std::strcmp(row, "SELECT.MODE") == 0) {
    choices = 0;
  } else if (std::strcmp(row, "SELECT.MSG") == 0) {
    if (++choices > 6) say("a seventh choice is ignored");
    if (std::strlen(arg) > 26) say("choice text is cut at 26 bytes");
  } else if (std::strcmp(row, "SELECT.GOTO") == 0) {
    if (n == 0) {
      say("SELECT.GOTO:0 fills no row");
    } else if (!scenes.count(int(n))) {
      say("scene " + std::to_string(n) + " is not in this file");
    }
  } else if (std::strcmp(row, "MSG") == 0) {
    char lines[kMessageLines][kLineBytes];
    if (layoutMessage(arg, lines) > size_t(kMessageLines * kMessageLineText))
      say("message is longer than four lines; the rest is not shown");
  } else if (std::strcmp(row, "MSG.FONT") == 0) {
    if (!exists(fontFileName(int(n)))) say(std::string("font file ") + fontFileName(int(n)) + " not found");
  } else if (std::strcmp(row, "OTO1.WAV") == 0 || std::strcmp(row, "OTO2.WAV") == 0) {
    if (!exists(std::string(arg) + ".wav")) say(std::string("sound file ") + arg + ".wav not found");
  } else if (std::strcmp(row, "SINARIO.READ") == 0) {
    if (!exists(arg)) {
      say(std::string("scenario file ") + arg + " not found");
    } else {
      pending.push_back(arg);
    }
  } else if (std::strcmp(row, "CHARA.ICHI") == 0) {
    if (n < 0 || n > 2) say("character slot must be 0, 1 or 2; the statement is ignored");
  } else if (std::strcmp(row, "SYSTEMSIZE") == 0) {
    const char* x = std::strchr(arg, 'x');
    if (!x) {
      say("no lower-case x between width and height: nothing changes");
    } else {
      const long width = std::atol(arg), height = std::atol(x + 1);
      if (width < 1 || width > 1920 || height < 1 || height > 1080)
        say("design size must be 1x1 to 1920x1080; the statement is refused");
    }
  }
}

bool Linter::lintFile(const std::string& name) {
  if (!visited.insert(name).second) return true;
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen((dir + name).c_str(), "rb"), std::fclose);
  if (!f) {
    std::fprintf(stderr, "tavino-tool lint: cannot open %s%s\n", dir.c_str(), name.c_str());
    return false;
  }
  std::vector<Statement> statements;
  readStatements(f.get(), statements);

  // Jumps search the file from the top, so the first mark of a number wins.
  std::map<int, int> scenes;
  for (const Statement& s : statements) {
    if (s.text.compare(0, 5, "SCENE") != 0) continue;
    const int number = std::atoi(s.text.c_str() + 6);
    auto [it, fresh] = scenes.emplace(number, s.line);
    if (!fresh && number != 0)
      report(name, s.line, "scene " + std::to_string(number) + " is already marked at line " +
                               std::to_string(it->second) + "; jumps find that one");
  }
  int choices = 0;
  for (const Statement& s : statements) lintStatement(name, s, scenes, choices);
  return true;
}

}  // namespace

int toolLint(int argc, char** argv) {
  Linter linter;
  std::string file = "sinario.txt";
  for (int i = 0; i < argc; i++) {
    if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
      linter.dir = argv[++i];
      if (!linter.dir.empty() && linter.dir.back() != '/') linter.dir += '/';
    } else if (argv[i][0] != '-') {
      file = argv[i];
    } else {
      std::fprintf(stderr, "usage: tavino-tool lint [--dir DIR] [FILE]\n");
      return 2;
    }
  }
  if (!linter.lintFile(file)) return 2;
  while (!linter.pending.empty()) {
    const std::string next = linter.pending.back();
    linter.pending.pop_back();
    linter.lintFile(next);
  }
  return linter.findings == 0 ? 0 : 1;
}
