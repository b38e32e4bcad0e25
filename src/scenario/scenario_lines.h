// How a scenario file is cut into statements, shared by the reader and the
// authoring tools so that both see exactly the same lines.
#pragma once

#include <cstddef>
#include <cstdio>

constexpr size_t kScenarioLineKeep = 103;  // bytes of a line that are kept

// Where a statement stands in its file, for tools that report on it.
struct ScenarioLinePosition {
  int number = 1;        // physical line of the statement's first byte (CR LF is one end)
  size_t length = 0;     // the line's full length, before the cut
  bool afterCR = false;  // internal: an LF right after a CR ends no further line
};

// Reads the next statement into `line` (`lineSize` >= 104 bytes, zero-filled,
// NUL-terminated, at most 103 bytes kept). CR and LF both end a line; met on
// an empty line they are skipped, so CR LF pairs and blank lines produce no
// statement. Returns true when a line end ended it, false when the end of the
// file (or a file that is not there) did.
bool readScenarioLine(FILE* file, char* line, size_t lineSize,
                      ScenarioLinePosition* position = nullptr);

// A statement split at its first colon into keyword and argument (the
// argument without a final LF and then CR). A line without a colon leaves
// both empty.
struct StatementParts {
  char keyword[kScenarioLineKeep] = {};
  char argument[kScenarioLineKeep] = {};
};
StatementParts splitStatement(const char* statement);

// The keyword of the interpreter's table that `keyword` selects (the first
// row whose keyword it begins with), or nullptr when none does.
const char* matchKeyword(const char* keyword);
