#include "support/play_support.h"

#include <cstdio>
#include <sstream>

std::string PlayRun::framePath(int n) const {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%04d.ppm", n);
  return frameDir + name;
}

std::string PlayRun::values(const std::string& want) const {
  std::istringstream pairs(want);
  std::string out;
  for (std::string pair; pairs >> pair;) {
    const std::string name = pair.substr(0, pair.find('='));
    const auto value = state.find(name);
    out += (out.empty() ? "" : " ") + name + "=" + (value == state.end() ? "(none)" : value->second);
  }
  return out;
}

PpmImage PlayRun::frame(int n) const {
  PpmImage image;
  if (!readPpm(framePath(n), image)) image = PpmImage{};
  return image;
}

PlayRun playScenario(const std::string& dir, const std::string& keys, const std::string& options,
                     const std::string& environment) {
  PlayRun run;
  run.frameDir = dir + "/frames";
  const std::string statePath = dir + "/state.txt";
  (void)runCommand("rm -rf '" + run.frameDir + "' '" + statePath + "'");
  const CommandResult r = runCommand(environment + TAVINO_TOOL + " play --dir '" + dir + "' --keys '" + keys +
                                     "' --state '" + statePath + "' --frames '" + run.frameDir + "' " +
                                     options + " 2>&1");
  run.status = r.status;
  run.output = r.output;
  std::istringstream in(readFile(statePath));
  for (std::string line; std::getline(in, line);) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) run.state[line.substr(0, eq)] = line.substr(eq + 1);
  }
  while (fileExists(run.framePath(run.frames + 1))) run.frames++;
  return run;
}
