// tavino-tool soak: long random play. Draws a seeded random sequence from a
// table of everything a player can do (single keys, mouse buttons, pad
// buttons, and menu errands such as saving or loading a slot), plays it
// through `play` on a game folder, and compares the resident memory after the
// first inputs (once every path has touched its buffers) with that at the
// end: a player that keeps growing leaks.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "play_script.h"
#include "scenario/flow.h"
#include "tool.h"

namespace {

struct SoakInput {
  const char* keys;  // a `play` key list
  int weight;
};

// Everything the player responds to. A new input is one more row.
const SoakInput kSoakInputs[] = {
    {"enter", 8},
    {"kpenter", 1},
    {"click", 3},
    {"wheeldown", 1},
    {"wheelup", 1},
    {"up", 2},
    {"down", 2},
    {"kp8", 1},
    {"kp2", 1},
    {"space", 2},   // system menu
    {"joy:13", 1},  // pad: advance, up, down, menu
    {"joy:4", 1},
    {"joy:6", 1},
    {"joy:0", 1},
    {"joy:7", 1},  // a button the player ignores
    {"sleep:40", 1},
    {"space,down,enter,down,enter,space", 2},                    // save to slot 1
    {"space,down,enter,down,down,down,down,enter,enter,space", 1},  // save to slot 4, twice
    {"space,down,down,enter,down,enter", 2},                     // load slot 1
    {"space,down,down,enter,down,down,down,down,enter", 1},      // load slot 4
    {"space,down,down,enter,space", 1},                          // look at the slots
    {"space,down,down,down,enter", 1},                           // new game
    // Reading comforts.
    {"tab", 1},
    {"a", 1},
    {"h", 1},
    {"middleclick", 1},
    {"escape", 1},
    {"rightclick", 1},
    {"f", 1},
    {"f11", 1},
    {"print", 1},  // a screenshot file per press
    {"m", 1},
    {"minus", 1},
    {"equals", 1},
    {"kpminus", 1},
    {"kpplus", 1},
    {"hold:lctrl,sleep:40,release:lctrl", 1},
    // History and rollback.
    {"pageup", 2},
    {"pagedown", 1},
    {"l", 1},
};

size_t residentKb() {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  size_t kb = 0;
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::strtoul(line + 6, nullptr, 10);
  }
  std::fclose(f);
  return kb;
}

constexpr unsigned long kReportEvery = 1000;  // inputs between progress lines

size_t gCheckpointStep = 0;  // the step that begins the input after the checkpoint
size_t gLastStep = 0;
size_t gRssAtCheckpoint = 0, gRssAtEnd = 0;
std::vector<size_t> gReportSteps;  // first step after every kReportEvery inputs

void onStep(size_t stepsTaken) {
  if (stepsTaken == gCheckpointStep) gRssAtCheckpoint = residentKb();
  if (stepsTaken == gLastStep) gRssAtEnd = residentKb();
  for (size_t i = 0; i < gReportSteps.size(); i++) {
    if (gReportSteps[i] == stepsTaken)
      std::fprintf(stderr, "tavino-tool soak: %lu inputs played, resident %zu kB\n",
                   (i + 1) * kReportEvery, residentKb());
  }
}

size_t countSteps(const std::string& keys) {
  size_t n = 1;
  for (char c : keys) n += c == ',';
  return n;
}

int usage() {
  std::fprintf(stderr,
               "usage: tavino-tool soak [--dir DIR] [--mode N] [--seed N] [--inputs N] "
               "[--checkpoint N]\n");
  return 2;
}

}  // namespace

int toolSoak(int argc, char** argv) {
  std::string dir, mode = "131";
  unsigned long seed = 1, inputs = 1000, checkpoint = 1000;
  for (int i = 0; i + 1 < argc; i += 2) {
    const std::string opt = argv[i];
    const char* value = argv[i + 1];
    if (opt == "--dir") dir = value;
    else if (opt == "--mode") mode = value;
    else if (opt == "--seed") seed = std::strtoul(value, nullptr, 10);
    else if (opt == "--inputs") inputs = std::strtoul(value, nullptr, 10);
    else if (opt == "--checkpoint") checkpoint = std::strtoul(value, nullptr, 10);
    else return usage();
  }
  if (argc % 2 != 0 || inputs == 0) return usage();
  // No checkpoint (0, or none before the end): resident memory is only reported.
  if (checkpoint >= inputs) checkpoint = 0;

  std::mt19937 random(static_cast<uint32_t>(seed));
  std::vector<int> weights;
  for (const SoakInput& input : kSoakInputs) weights.push_back(input.weight);
  std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
  std::string keys;
  size_t steps = 0;
  for (unsigned long n = 0; n < inputs; n++) {
    const char* next = kSoakInputs[pick(random)].keys;
    if (n) keys += ',';
    keys += next;
    steps += countSteps(next);
    if (n + 1 == checkpoint) gCheckpointStep = steps + 1;
    if ((n + 1) % kReportEvery == 0 && n + 1 < inputs) gReportSteps.push_back(steps + 1);
  }
  gLastStep = steps;

  // Long waits and a scenario that never stops advancing must not stall the
  // run: each input gets a bounded share of time.
  gWaitLimitMs = 50;
  gPlaySettleLimitMs = 300;
  gPlayStepHook = onStep;
  std::vector<std::string> args = {"--mode", mode, "--keys", keys};
  if (!dir.empty()) args.insert(args.end(), {"--dir", dir});
  std::vector<char*> argvPlay;
  for (std::string& a : args) argvPlay.push_back(a.data());
  const int status = toolPlay(int(argvPlay.size()), argvPlay.data());

  std::fprintf(stderr, "tavino-tool soak: %lu inputs (%zu presses), seed %lu; resident ", inputs, steps, seed);
  if (checkpoint) std::fprintf(stderr, "%zu kB after %lu inputs, ", gRssAtCheckpoint, checkpoint);
  std::fprintf(stderr, "%zu kB at the end\n", gRssAtEnd);
  if (status != 0 || checkpoint == 0) return status;
  const double growth = double(gRssAtEnd) - double(gRssAtCheckpoint);
  if (gRssAtCheckpoint == 0 || growth > 0.10 * double(gRssAtEnd)) {
    std::fprintf(stderr, "tavino-tool soak: resident memory grew by more than 10%%\n");
    return 1;
  }
  return 0;
}
