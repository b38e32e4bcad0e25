#include "scenario/scenario_lines.h"

#include <cstring>

bool readScenarioLine(FILE* file, char* line, size_t lineSize, ScenarioLinePosition* position) {
  std::memset(line, 0, lineSize);
  if (position) position->length = 0;
  if (!file) return false;
  size_t n = 0;
  for (;;) {
    const int c = std::fgetc(file);
    if (c == EOF) return false;
    if (c == '\r' || c == '\n') {
      if (position) {
        if (c == '\r' || !position->afterCR) position->number++;
        position->afterCR = c == '\r';
      }
      if (n > 0) return true;
      continue;
    }
    if (position) position->afterCR = false, position->length = n + 1;
    if (n < kScenarioLineKeep && n + 1 < lineSize) line[n] = static_cast<char>(c);
    n++;
  }
}

StatementParts splitStatement(const char* statement) {
  StatementParts parts;
  const size_t length = strnlen(statement, kScenarioLineKeep);
  const char* colon = static_cast<const char*>(std::memchr(statement, ':', length));
  if (!colon) return parts;
  std::memcpy(parts.keyword, statement, static_cast<size_t>(colon - statement));
  std::memcpy(parts.argument, colon + 1, length - static_cast<size_t>(colon - statement) - 1);
  size_t argLen = std::strlen(parts.argument);
  if (argLen > 0 && parts.argument[argLen - 1] == '\n') parts.argument[--argLen] = 0;
  if (argLen > 0 && parts.argument[argLen - 1] == '\r') parts.argument[--argLen] = 0;
  return parts;
}
