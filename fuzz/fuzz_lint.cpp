// Lint on an arbitrary game folder. The input is split at NUL bytes: the
// first part is "sinario.txt", every later part is "NAME\nCONTENT" (names
// cut to a safe character set), so that scenarios can read each other and
// find or miss pictures and sounds. The folder is emptied for every input.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "scenario_reset.h"
#include "tool.h"

namespace {

std::string safeName(const std::string& raw, size_t index) {
  std::string name;
  for (char c : raw) {
    if (name.size() == 32) break;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_')
      name += c;
  }
  if (name.empty() || name[0] == '.') name = "f" + std::to_string(index);
  return name;
}

// Plain system calls: stdio's buffers would cost more than the lint itself.
void writeFile(const std::string& path, const char* data, size_t size) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) std::abort();
  if (size && write(fd, data, size) != ssize_t(size)) std::abort();
  close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::fclose(stdout);  // findings go to stdout; only crashes matter here
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& folder = scratchFolder("/dev/shm/fuzz-lint-XXXXXX");
  std::filesystem::remove_all(folder);  // what the last input laid out
  std::filesystem::create_directory(folder);
  const std::string input(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  for (size_t index = 0; start <= input.size() && index < 16; index++) {
    size_t end = input.find('\0', start);
    if (end == std::string::npos) end = input.size();
    std::string part = input.substr(start, end - start);
    if (index == 0) {
      writeFile(folder + "sinario.txt", part.data(), part.size());
    } else {
      const size_t eol = std::min(part.find('\n'), part.size());
      const std::string body = eol < part.size() ? part.substr(eol + 1) : std::string();
      writeFile(folder + safeName(part.substr(0, eol), index), body.data(), body.size());
    }
    start = end + 1;
  }
  std::string dirArg = folder;
  char opt[] = "--dir";
  char* argv[] = {opt, dirArg.data(), nullptr};
  toolLint(2, argv);
  return 0;
}
