// Whether a game folder is fit to publish: what `tavino-tool web` checks
// before exporting.
#pragma once

#include <string>

// Prints each problem as one line and returns true when the game in `dir`
// would not start or the scenario check reports errors.
bool gameFolderHasErrors(const std::string& dir);
