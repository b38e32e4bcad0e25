// Writing a file so that a crash, a kill or a full disk part-way never
// leaves it half-written: saves and seen marks both go this way.
#pragma once

#include <string>

// Writes `bytes` to PATH.tmp, syncs it and renames it over `path`. False,
// with the old file untouched and the temporary file removed, on any error.
bool writeFileAtomically(const std::string& path, const std::string& bytes);
