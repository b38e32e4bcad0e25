// Runs a scenario directory through `tavino-tool play` and reads back what
// the run left: the state dump and the recorded frames.
#pragma once

#include <map>
#include <string>

#include "support/test_support.h"

struct PlayRun {
  int status = -1;                            // the tool's exit status
  std::string output;                         // its standard output and error
  std::map<std::string, std::string> state;   // the --state dump, name -> value
  std::string frameDir;                       // where --frames wrote its PPMs
  int frames = 0;                             // how many frames were presented

  // The dump's values for the names in `want` ("name=value name=value"), in
  // that same form, so that one comparison checks them all.
  std::string values(const std::string& want) const;
  // Frame n (1 = first presented); an empty image when there is none.
  PpmImage frame(int n) const;
  std::string framePath(int n) const;
};

// Plays `dir` with the given comma-separated key list. `options` are more
// play arguments (for example "--mode 130"); `environment` is put before the
// command (for example "SDL_AUDIODRIVER=disk ").
PlayRun playScenario(const std::string& dir, const std::string& keys,
                     const std::string& options = "", const std::string& environment = "");

// Each advance adds 1 to entry 0 of gFlag8.
inline const char kCounting[] = "SCENE:1\nFLAG8.PLUS:1\nKEYWAIT:\nGOTO:1\n";
