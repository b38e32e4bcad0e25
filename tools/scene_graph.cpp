#include "scene_graph.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "scenario/scenario_lines.h"

namespace {

// A scenario that names more files than this is not one anybody wrote by hand.
constexpr size_t kMaxFiles = 256;
constexpr int kChoiceRows = 6;
constexpr size_t kChoiceTextBytes = 26;

struct FlagTable {
  const char* cursor;  // the statement that moves its cursor
  const char* test;    // the statement that jumps on it
  int size;
};
const FlagTable kFlagTables[] = {
    {"FLAG1", "IF.FLAG1", 2048}, {"FLAG8", "IF.FLAG8", 256},
    {"FLAG16", "IF.FLAG16", 128}, {"FLAG32", "IF.FLAG32", 64},
};

struct Section {
  int node;
  size_t begin, end;  // statements [begin, end)
};

struct Choices {
  std::string text[kChoiceRows];
  int target[kChoiceRows] = {};
};

class Analyser {
 public:
  Analyser(const std::string& dir, SceneGraph& graph) : dir_(dir), g_(graph) {}

  void run(const std::string& firstFile) {
    fileIndex(firstFile);
    for (size_t i = 0; i < g_.files.size(); i++) readFile(int(i));
    for (size_t i = 0; i < g_.files.size(); i++) makeNodes(int(i));
    for (size_t i = 0; i < g_.files.size(); i++) {
      for (size_t k = 0; k < sections_[i].size(); k++) walkSection(int(i), k);
    }
    markReached();
  }

 private:
  const std::string& dir_;
  SceneGraph& g_;
  std::map<std::string, int> fileByName_;
  std::vector<int> entry_;                         // by file
  std::vector<std::vector<Section>> sections_;     // by file
  std::vector<std::map<int, int>> sceneNode_;      // by file: number -> first mark's node
  std::vector<std::map<int, int>> missingNode_;    // by file: number -> red node
  std::vector<std::map<std::string, int>> cursor_; // by file: flag cursors, in file order

  int fileIndex(const std::string& name) {
    auto it = fileByName_.find(name);
    if (it != fileByName_.end()) return it->second;
    if (g_.files.size() >= kMaxFiles) return -1;
    const int index = int(g_.files.size());
    g_.files.push_back({name, false, {}});
    fileByName_[name] = index;
    return index;
  }

  void readFile(int f) {
    ScenarioFile& file = g_.files[size_t(f)];
    file.opened = readScenarioStatements(dir_ + file.name, file.statements);
    for (const ScenarioStatement& s : file.statements) {
      const StatementParts parts = splitStatement(s.text.c_str());
      const char* row = std::strchr(s.text.c_str(), ':') ? matchKeyword(parts.keyword) : nullptr;
      if (row && std::strcmp(row, "SINARIO.READ") == 0) fileIndex(parts.argument);
    }
  }

  int addNode(int file, int scene, int line, bool isStart, bool missing) {
    g_.nodes.push_back({file, scene, line, isStart, missing, "", false, false});
    return int(g_.nodes.size()) - 1;
  }

  void makeNodes(int f) {
    const ScenarioFile& file = g_.files[size_t(f)];
    entry_.push_back(-1);
    sections_.emplace_back();
    sceneNode_.emplace_back();
    missingNode_.emplace_back();
    cursor_.emplace_back();
    if (!file.opened) {
      entry_[size_t(f)] = addNode(f, 0, 0, true, true);
      return;
    }
    const auto& st = file.statements;
    int number = 0;
    size_t firstMark = 0;
    while (firstMark < st.size() && !isSceneMark(st[firstMark].text, number)) firstMark++;
    // Statements before the first mark run at the start; comments alone do not count.
    bool needStart = firstMark == st.size();
    for (size_t i = 0; i < firstMark; i++) needStart |= st[i].text.find(':') != std::string::npos;
    if (needStart) {
      const int start = addNode(f, 0, st.empty() ? 0 : st[0].line, true, false);
      sections_[size_t(f)].push_back({start, 0, firstMark});
      entry_[size_t(f)] = start;
    }
    for (size_t i = firstMark; i < st.size(); i++) {
      if (!isSceneMark(st[i].text, number)) continue;
      const int node = addNode(f, number, st[i].line, false, false);
      if (!sections_[size_t(f)].empty()) sections_[size_t(f)].back().end = i;
      sections_[size_t(f)].push_back({node, i, st.size()});
      if (number != 0) sceneNode_[size_t(f)].emplace(number, node);
      if (entry_[size_t(f)] < 0) entry_[size_t(f)] = node;
    }
  }

  // The node a jump to `scene` in file f lands on; a red one when the file
  // has no such mark.
  int target(int f, int scene) {
    auto found = sceneNode_[size_t(f)].find(scene);
    if (found != sceneNode_[size_t(f)].end()) return found->second;
    auto [it, fresh] = missingNode_[size_t(f)].emplace(scene, 0);
    if (fresh) it->second = addNode(f, scene, 0, false, true);
    return it->second;
  }

  void edge(int from, int to, SceneEdgeKind kind, int line, std::string label = "") {
    g_.edges.push_back({from, to, kind, line, std::move(label)});
  }

  void walkSection(int f, size_t k) {
    const Section& sec = sections_[size_t(f)][k];
    const auto& st = g_.files[size_t(f)].statements;
    bool haveMessage = false, selectMode = false;
    Choices choices;
    std::map<std::string, int>& cursor = cursor_[size_t(f)];
    for (size_t i = sec.begin; i < sec.end; i++) {
      const ScenarioStatement& s = st[i];
      if (s.text.find(':') == std::string::npos) continue;
      const StatementParts parts = splitStatement(s.text.c_str());
      const char* row = matchKeyword(parts.keyword);
      if (!row) continue;
      const std::string r = row;
      const char* arg = parts.argument;
      const int n = std::atoi(arg);
      if (r == "MSG" || r == "KEYWAIT") {
        if (r == "MSG" && !haveMessage) {
          g_.nodes[size_t(sec.node)].firstMessage = arg;
          haveMessage = true;
        }
        bool shown = false;
        for (int c = 0; c < kChoiceRows && selectMode; c++) {
          if (choices.target[c] == 0) continue;
          edge(sec.node, target(f, choices.target[c]), SceneEdgeKind::Choice, s.line, choices.text[c]);
          shown = true;
        }
        // Only a confirmed choice moves on from a shown choice list.
        if (shown) return;
      } else if (r == "GOTO") {
        if (n == 0) continue;  // scene 0 is never searched
        edge(sec.node, target(f, n), SceneEdgeKind::Goto, s.line);
        return;
      } else if (r == "SINARIO.READ") {
        auto it = fileByName_.find(arg);
        if (it != fileByName_.end()) edge(sec.node, entry_[size_t(it->second)], SceneEdgeKind::FileRead, s.line);
        return;
      } else if (r == "SELECT.MODE") {
        selectMode = n == 1;
        choices = Choices{};
      } else if (r == "SELECT.MSG") {
        for (std::string& text : choices.text) {
          if (!text.empty()) continue;
          text = std::string(arg).substr(0, kChoiceTextBytes);
          break;
        }
      } else if (r == "SELECT.GOTO") {
        for (int& t : choices.target) {
          if (t != 0) continue;
          t = n;
          break;
        }
      } else {
        for (const FlagTable& table : kFlagTables) {
          if (r == table.cursor && n >= 0 && n < table.size) cursor[table.cursor] = n;
          if (r == table.test && n != 0)
            edge(sec.node, target(f, n), SceneEdgeKind::IfFlag, s.line,
                 std::string(table.cursor) + "[" + std::to_string(cursor[table.cursor]) + "]");
        }
      }
    }
    const auto& all = sections_[size_t(f)];
    if (k + 1 < all.size()) {
      edge(sec.node, all[k + 1].node, SceneEdgeKind::FallThrough, st[all[k + 1].begin].line);
    } else {
      g_.nodes[size_t(sec.node)].deadEnd = true;  // the scenario rests at the end of the file
    }
  }

  void markReached() {
    if (entry_.empty() || !g_.files[0].opened) return;
    std::vector<std::vector<int>> out(g_.nodes.size());
    for (const SceneEdge& e : g_.edges) out[size_t(e.from)].push_back(e.to);
    std::vector<int> todo{entry_[0]};
    g_.nodes[size_t(entry_[0])].reached = true;
    while (!todo.empty()) {
      const int n = todo.back();
      todo.pop_back();
      for (int next : out[size_t(n)]) {
        if (g_.nodes[size_t(next)].reached) continue;
        g_.nodes[size_t(next)].reached = true;
        todo.push_back(next);
      }
    }
  }
};

}  // namespace

bool readScenarioStatements(const std::string& path, std::vector<ScenarioStatement>& out) {
  out.clear();
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) return false;
  ScenarioLinePosition where;
  char line[112];
  for (;;) {
    const bool ended = readScenarioLine(f.get(), line, sizeof line, &where);
    // The line end that closed the statement already counted the next line.
    if (line[0] != 0) out.push_back({ended ? where.number - 1 : where.number, where.length, line});
    if (!ended) return true;
  }
}

bool isSceneMark(const std::string& statement, int& number) {
  if (statement.compare(0, 5, "SCENE") != 0) return false;
  number = statement.size() > 6 ? std::atoi(statement.c_str() + 6) : 0;
  return true;
}

SceneGraph analyseScenes(const std::string& dir, const std::string& firstFile) {
  SceneGraph graph;
  Analyser(dir, graph).run(firstFile);
  return graph;
}
