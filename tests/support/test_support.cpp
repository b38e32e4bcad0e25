#include "support/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "scenario/engine_state.h"

namespace {

// Every test process runs headless, with its scratch folders in the build
// tree, unless the caller's environment says otherwise.
struct HeadlessDefaults {
  HeadlessDefaults() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("TAVINO_TEST_TMP", TAVINO_BUILD_DIR "/test-tmp", 0);
  }
} headlessDefaults;

}  // namespace

void PlayerDirTest::SetUp() {
  oldCwd_ = std::filesystem::current_path();
  const char* base = std::getenv("TAVINO_TEST_TMP");
  const std::string root = base && *base ? base : "/tmp";
  std::filesystem::create_directories(root);
  std::string pattern = root + "/tavino-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
  std::filesystem::current_path(dir_);
  engineStateClear();
}

void PlayerDirTest::TearDown() {
  engineStateClear();
  std::error_code ignored;
  if (!oldCwd_.empty()) std::filesystem::current_path(oldCwd_, ignored);
  // A failed test's directory is kept for a look.
  if (!dir_.empty() && !HasFailure()) std::filesystem::remove_all(dir_, ignored);
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(bytes.data(), std::streamsize(bytes.size()));
  ASSERT_TRUE(f.good()) << "cannot write " << path;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  writeFile(path, std::string(bytes.begin(), bytes.end()));
}

std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

bool fileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

CommandResult runCommand(const std::string& commandLine) {
  CommandResult result{-1, {}};
  FILE* p = popen(commandLine.c_str(), "r");
  if (!p) return result;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, p)) > 0;) result.output.append(chunk, n);
  const int status = pclose(p);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

std::string corpusPath(const std::string& relative) {
  return std::string(TAVINO_CORPUS_DIR) + "/" + relative;
}

bool readPpm(const std::string& path, PpmImage& out) {
  const std::string bytes = readFile(path);
  std::istringstream in(bytes);
  std::string magic;
  int maxval = 0;
  in >> magic >> out.width >> out.height >> maxval;
  if (magic != "P6" || maxval != 255 || out.width <= 0 || out.height <= 0) return false;
  // One white-space byte follows the header.
  const size_t offset = size_t(in.tellg()) + 1, n = size_t(out.width) * out.height * 3;
  if (bytes.size() < offset + n) return false;
  out.rgb.assign(bytes.begin() + long(offset), bytes.begin() + long(offset + n));
  return true;
}
