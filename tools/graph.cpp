// tavino-tool graph: the scenario's scenes as a Graphviz graph. DOT goes to
// standard output or to -o FILE; an .svg or .png name is drawn by `dot`.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <algorithm>

#include "cp932.h"
#include "scene_graph.h"
#include "tool.h"

extern char** environ;

namespace {

constexpr size_t kLabelBytes = 24;  // one message line

// Text for inside a DOT string: quotes and backslashes escaped.
std::string escaped(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string quoted(const std::string& utf8) {
  std::string out = "\"";
  out += escaped(utf8);
  out += '"';
  return out;
}

// The start of a cp932 text, cut between characters, in UTF-8.
std::string beginning(const std::string& text) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t n = std::max<size_t>(cp932CharLength(text, end), 1);
    if (end + n > kLabelBytes) break;
    end += n;
  }
  return cp932ToUtf8(text.substr(0, end)) + (end < text.size() ? "\u2026" : "");
}

std::string nodeId(size_t index) {
  std::string id = "n";
  id += std::to_string(index);
  return id;
}

// Label lines are escaped one by one and joined with DOT's own line break.
std::string nodeStatement(const SceneGraph& g, size_t i) {
  const SceneNode& n = g.nodes[i];
  std::vector<std::string> lines;
  std::string attributes;
  if (n.missing) {
    if (n.isStart) {
      lines = {cp932ToUtf8(g.files[size_t(n.file)].name), "(missing file)"};
    } else {
      lines = {"scene " + std::to_string(n.scene), "(missing)"};
    }
    attributes = ", color=red, fontcolor=red";
  } else {
    lines.push_back(n.isStart ? "start" : "scene " + std::to_string(n.scene));
    if (!n.firstMessage.empty()) lines.push_back(beginning(n.firstMessage));
    if (n.deadEnd) lines.push_back("(end)"), attributes += ", peripheries=2";
    if (!n.reached) {
      lines.push_back("(not reached)");
      attributes += ", style=\"rounded,dashed\", color=gray50, fontcolor=gray50";
    }
  }
  std::string label;
  for (size_t k = 0; k < lines.size(); k++) label += (k ? "\\n" : "") + escaped(lines[k]);
  return nodeId(i) + " [label=\"" + label + "\"" + attributes + "];";
}

std::string edgeStatement(const SceneEdge& e) {
  std::string s = nodeId(size_t(e.from)) + " -> " + nodeId(size_t(e.to));
  switch (e.kind) {
    case SceneEdgeKind::FallThrough: return s + " [style=dashed];";
    case SceneEdgeKind::Goto: return s + ";";
    case SceneEdgeKind::IfFlag: return s + " [label=" + quoted(e.label) + "];";
    case SceneEdgeKind::Choice: return s + " [label=" + quoted(cp932ToUtf8(e.label)) + ", style=bold];";
    case SceneEdgeKind::FileRead: return s + " [label=\"SINARIO.READ\"];";
  }
  return s + ";";
}

bool runDot(const std::string& format, const std::string& dotFile, const std::string& out, bool& found) {
  const std::string typeFlag = "-T" + format;
  const char* args[] = {"dot", typeFlag.c_str(), "-o", out.c_str(), dotFile.c_str(), nullptr};
  pid_t pid;
  found = posix_spawnp(&pid, "dot", nullptr, nullptr, const_cast<char**>(args), environ) == 0;
  if (!found) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) < 0) return false;
  // posix_spawnp may report a missing program only through the child's exit.
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) found = false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool writeText(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

int usage() {
  std::fprintf(stderr, "usage: tavino-tool graph [--dir DIR] [FILE] [-o OUT.dot|OUT.svg|OUT.png]\n");
  return 2;
}

}  // namespace

static std::string sceneGraphDot(const SceneGraph& g) {
  std::string dot =
      "digraph scenes {\n"
      "  graph [fontname=\"sans-serif\"];\n"
      "  node [shape=box, style=rounded, fontname=\"sans-serif\"];\n"
      "  edge [fontname=\"sans-serif\", fontsize=10];\n";
  for (size_t f = 0; f < g.files.size(); f++) {
    if (!g.files[f].opened) continue;
    dot += "  subgraph \"cluster_" + std::to_string(f) + "\" {\n    label=" + quoted(cp932ToUtf8(g.files[f].name)) + ";\n";
    for (size_t i = 0; i < g.nodes.size(); i++) {
      if (g.nodes[i].file == int(f)) dot += "    " + nodeStatement(g, i) + "\n";
    }
    dot += "  }\n";
  }
  for (size_t i = 0; i < g.nodes.size(); i++) {
    if (!g.files[size_t(g.nodes[i].file)].opened) dot += "  " + nodeStatement(g, i) + "\n";
  }
  for (const SceneEdge& e : g.edges) dot += "  " + edgeStatement(e) + "\n";
  return dot + "}\n";
}

int toolGraph(int argc, char** argv) {
  std::string dir, file = "sinario.txt", out;
  for (int i = 0; i < argc; i++) {
    if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
      dir = argv[++i];
      if (!dir.empty() && dir.back() != '/') dir += '/';
    } else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      out = argv[++i];
    } else if (argv[i][0] != '-') {
      file = argv[i];
    } else {
      return usage();
    }
  }
  const SceneGraph graph = analyseScenes(dir, file);
  if (!graph.files[0].opened) {
    std::fprintf(stderr, "tavino-tool graph: cannot open %s%s\n", dir.c_str(), file.c_str());
    return 2;
  }
  const std::string dot = sceneGraphDot(graph);
  if (out.empty()) {
    std::fwrite(dot.data(), 1, dot.size(), stdout);
    return 0;
  }
  const size_t dotAt = out.rfind('.');
  const std::string format = dotAt == std::string::npos ? "" : out.substr(dotAt + 1);
  if (format != "svg" && format != "png") {
    if (writeText(out, dot)) return 0;
    std::fprintf(stderr, "tavino-tool graph: cannot write %s\n", out.c_str());
    return 1;
  }
  const std::string dotFile = out.substr(0, dotAt) + ".dot";
  if (!writeText(dotFile, dot)) {
    std::fprintf(stderr, "tavino-tool graph: cannot write %s\n", dotFile.c_str());
    return 1;
  }
  bool found = false;
  const bool drawn = runDot(format, dotFile, out, found);
  if (!found) {
    std::fprintf(stderr, "tavino-tool graph: Graphviz 'dot' is not installed; wrote %s instead of %s\n",
                 dotFile.c_str(), out.c_str());
    return 1;
  }
  std::remove(dotFile.c_str());
  if (!drawn) {
    std::fprintf(stderr, "tavino-tool graph: dot could not draw %s\n", out.c_str());
    return 1;
  }
  return 0;
}
