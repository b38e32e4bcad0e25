// The scene structure of a scenario, as the player's reader would walk it:
// one node per scene mark, edges for every way the story moves from one
// scene to another. Shared by `tavino-tool graph` and the lint.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One statement as the player's line reader cuts it.
struct ScenarioStatement {
  int line;          // physical line of its first byte
  size_t length;     // the line's full length, before the 103-byte cut
  std::string text;  // the kept bytes, up to the first NUL
};

struct ScenarioFile {
  std::string name;  // as the scenario names it, relative to the game folder
  bool opened = false;
  std::vector<ScenarioStatement> statements;
};

enum class SceneEdgeKind { FallThrough, Goto, IfFlag, Choice, FileRead };

struct SceneEdge {
  int from, to;  // node indexes
  SceneEdgeKind kind;
  int line;           // statement that makes the move (the next mark for a fall-through)
  std::string label;  // IF.FLAG: "FLAG8[3]"; choice: its text (cp932)
};

struct SceneNode {
  int file;        // index into SceneGraph::files
  int scene;       // number of the mark; 0 for a file's start or a missing file
  int line;        // line of the mark; 0 where there is none
  bool isStart;    // the statements of a file before its first mark
  bool missing;    // a jump target that does not exist (scene or file)
  std::string firstMessage;  // start of the first MSG (cp932)
  bool reached = false;      // some path from the first file's start gets here
  bool deadEnd = false;      // the story can stop here for good
};

struct SceneGraph {
  std::vector<ScenarioFile> files;  // the first file, then each SINARIO.READ target
  std::vector<SceneNode> nodes;
  std::vector<SceneEdge> edges;
};

// Reads every statement of a file with the player's line reader; false when
// it is not a readable regular file.
bool readScenarioStatements(const std::string& path, std::vector<ScenarioStatement>& out);

// Whether the statement marks a scene, and the number jumps find it by.
bool isSceneMark(const std::string& statement, int& number);

// Analyses `firstFile` in folder `dir` ("" or ending in '/') and every file
// that SINARIO.READ reaches from it.
SceneGraph analyseScenes(const std::string& dir, const std::string& firstFile);
