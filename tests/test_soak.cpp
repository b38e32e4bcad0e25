// Long random play over the demo and over game folders built to hurt (broken
// pictures and save files are left to their fuzz targets): every run must end
// cleanly (no crash, and under the sanitizers no report and no leak), and in
// long runs with resident memory steady after the first 1,000 inputs (the
// tool's own checkpoint).
// TAVINO_SOAK_INPUTS sets the total number of inputs (default 1,000), shared
// among the folders, which play at once.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

void makeFolders(const std::string& root) {
  auto folder = [&](const std::string& name) {
    fs::create_directories(root + "/" + name);
    return root + "/" + name + "/";
  };
  const std::string demo = std::string(TAVINO_SOURCE_DIR) + "/demo";
  fs::copy(demo, folder("demo"));

  std::string line = "MSG:";
  line.reserve(10u << 20);
  while (line.size() < (10u << 20)) line += "\x82\xa0";
  writeFile(folder("one_line_10mb") + "sinario.txt", line);

  writeFile(folder("goto_loop") + "sinario.txt", "SCENE:1\r\nGOTO:1\r\n");
  writeFile(folder("nowait_loop") + "sinario.txt", "NOWAIT:1\r\nSCENE:1\r\nMSG:\x82\xa0\r\nGOTO:1\r\n");

  writeFile(folder("missing_assets") + "sinario.txt",
            "MSG.FONT:12\r\nOTO1.WAV:none\r\nOTO1.PLAY:1\r\nOTO2.WAV:gone\r\nHAIKEIPNG:77\r\n"
            "CHARAJPG:78\r\nMSG:\x82\xa0\r\nMSG.FONT:3\r\nMSG:\x82\xa0\r\n");

  const std::string cycle = folder("read_cycle");
  writeFile(cycle + "sinario.txt", "SCENE:1\r\nMSG:\x82\xa0\r\nSINARIO.READ:b.txt\r\n");
  writeFile(cycle + "b.txt", "MSG:\x82\xa2\r\nSINARIO.READ:sinario.txt\r\n");
}

TEST_F(PlayerDirTest, LongRandomPlayEndsCleanlyWithSteadyMemoryInEveryFolder) {
  const char* env = std::getenv("TAVINO_SOAK_INPUTS");
  const long total = env && *env ? std::atol(env) : 1000;
  makeFolders(dir_);
  std::vector<std::string> folders;
  for (const auto& e : fs::directory_iterator(dir_)) folders.push_back(e.path().filename());
  std::sort(folders.begin(), folders.end());
  const long inputs = total / long(folders.size());

  std::string command;
  for (size_t i = 0; i < folders.size(); i++) {
    const std::string& f = folders[i];
    // A small quarantine, so that resident memory measures the player rather
    // than freed blocks the address sanitizer holds back (256 MB by default).
    command += "(ASAN_OPTIONS=$ASAN_OPTIONS:quarantine_size_mb=8 " TAVINO_TOOL " soak --dir " + f + " --seed " + std::to_string(i + 1) + " --inputs " +
               std::to_string(inputs) + " >" + f + ".log 2>&1; echo $? >" + f + ".status) & ";
  }
  runCommand(command + "wait");
  for (const std::string& f : folders) {
    const std::string log = readFile(f + ".log");
    EXPECT_EQ(readFile(f + ".status"), "0\n") << f << ":\n" << log.substr(log.size() > 4000 ? log.size() - 4000 : 0);
    const size_t summary = log.rfind("tavino-tool soak:");
    if (summary != std::string::npos) std::printf("%s: %s", f.c_str(), log.c_str() + summary);
  }
}

}  // namespace
