// rCPGgetsina: the scenario reader. It owns the position in the scenario
// file and runs statements until one of them asks to stop.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scenario/engine_state.h"
#include "scenario/reader.h"
#include "scenario/rollback.h"
#include "scenario/scenario_lines.h"
#include "scenario/scenario.h"

int32_t gJumpDepthLimit = kMaxJumpDepth;
uint32_t gReaderSteps;

namespace {

int gJumpDepth;              // reader calls currently nested inside jump statements
std::string gUnopenedFile;   // last name reported as unopenable, so it is reported once

bool isSceneMark(const char* line, int32_t scene) {
  // The number is read from the seventh byte on, whatever the sixth is.
  return std::strncmp(line, "SCENE", 5) == 0 && std::atoi(line + 6) == scene;
}

void openScenario() {
  pSinaFile = std::fopen(SinaFile, "rb");
  if (pSinaFile) {
    gUnopenedFile.clear();
  } else if (gUnopenedFile != SinaFile) {
    gUnopenedFile = SinaFile;
    std::printf("cannot open scenario file \"%s\": playing an empty scenario\n", SinaFile);
  }
}

}  // namespace

void rCPGgetsina(int32_t scene) {
  if (SinaFile[0] == 0) return;
  if (gJumpDepth >= gJumpDepthLimit) {
    // A chain of jumps that never stops (GOTO loops) would otherwise nest
    // until the stack overflows.
    std::printf("scenario jumps nested %d deep: step ended\n", gJumpDepthLimit);
    return;
  }
  ++gJumpDepth;
  noteReaderRuns();
  if (!pSinaFile) openScenario();

  char line[sizeof SinaMsg];
  if (scene != 0) {
    if (pSinaFile) std::rewind(pSinaFile);
    for (;;) {
      const bool more = readScenarioLine(pSinaFile, line, sizeof line);
      if (isSceneMark(line, scene)) {
        std::memcpy(SinaMsg, line, sizeof SinaMsg);
        rSPGkaiseki();
        break;
      }
      if (!more) break;
    }
  }

  for (;;) {
    // The statement may close or replace pSinaFile (SINARIO.READ), so the
    // file is looked up afresh for every line.
    const bool lineEnded = readScenarioLine(pSinaFile, line, sizeof line);
    std::memcpy(SinaMsg, line, sizeof SinaMsg);
    if (rSPGkaiseki() != 0 || !lineEnded) break;
  }
  KeyWait = 1;
  ++gReaderSteps;
  --gJumpDepth;
}

void setScenarioPath(const char* name) {
  std::string path = std::string(pg_workdir, strnlen(pg_workdir, sizeof pg_workdir)) + name;
  if (path.size() >= sizeof SinaFile) path.resize(sizeof SinaFile - 1);
  std::memset(SinaFile, 0, sizeof SinaFile);
  std::memcpy(SinaFile, path.data(), path.size());
}
