// Saves that survive a kill: the player saves again and again, driven by
// keys, and is killed (SIGKILL) at a random moment. Afterwards "tavino.sav"
// must be, byte for byte, one of the files the saves went through (the clock
// digits aside), and the player must start and load from it. The runs chain:
// each starts from the file the last kill left. "tavino.seen", written the
// same way when the menu opens, must parse whenever it exists. TAVINO_KILLS
// sets how many kills (default 20).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "scenario/seen_text.h"
#include "support/play_support.h"
#include "support/test_support.h"

extern char** environ;

namespace {

const char kScenario[] = "SIORI:kill\r\nSCENE:3\r\nFLAG8.SET:5:7\r\nMSG:\x82\xa0\r\nMSG:\x82\xa2\r\n";
constexpr int kSavesPerRun = 60;

// The non-empty lines of a save image, without their line ends.
std::vector<std::string> linesOf(const std::string& image) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < image.size()) {
    const size_t end = image.find_first_of("\r\n", i);
    const size_t stop = end == std::string::npos ? image.size() : end;
    if (stop > i) lines.push_back(image.substr(i, stop - i));
    i = stop + 1;
  }
  return lines;
}

// The file after saving `slot` over `old`: the slot's record first, then the
// other slots' lines as they were.
std::string afterSave(const std::string& recordOfSlot1, int slot, const std::string& old) {
  std::string out;
  for (std::string line : linesOf(recordOfSlot1)) out += char('0' + slot) + line.substr(1) + "\r\n";
  for (const std::string& line : linesOf(old))
    if (line[0] != char('0' + slot)) out += line + "\r\n";
  return out + "\r\n";
}

// Save time stamps replaced by a mark; false when one is not 12 digits.
bool withoutClock(std::string& image) {
  for (size_t at = image.find("JIKOKU  :"); at != std::string::npos; at = image.find("JIKOKU  :", at)) {
    at += 9;
    for (int i = 0; i < 12; i++, at++) {
      if (at >= image.size() || image[at] < '0' || image[at] > '9') return false;
      image[at] = '#';
    }
  }
  return true;
}

// The saves of one run: slot 1 up to 5 and back down, over and over.
std::string saveKeys(std::vector<int>& slots) {
  std::string keys = "enter,space,down,enter";
  int slot = 0, step = 1;
  for (int i = 0; i < kSavesPerRun; i++) {
    if (slot + step < 1 || slot + step > 5) step = -step;
    slot += step;
    keys += step > 0 ? ",down,enter" : ",up,enter";
    slots.push_back(slot);
  }
  return keys + ",sleep:1000";
}

pid_t startPlay(const std::string& keys) {
  const std::string tool = TAVINO_TOOL;
  std::vector<std::string> args = {tool, "play", "--keys", keys};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

TEST_F(PlayerDirTest, AKilledSaveLeavesTheOldOrTheNewFileAndThePlayerLoadsIt) {
  const char* env = std::getenv("TAVINO_KILLS");
  const int kills = env && *env ? std::atoi(env) : 20;
  writeFile("sinario.txt", kScenario);

  // The record a save writes, from a run that is not disturbed.
  PlayRun reference = playScenario(dir_, "enter,space,down,enter,down,enter");
  ASSERT_EQ(reference.status, 0) << reference.output;
  const std::string recordOfSlot1 = readFile("tavino.sav");
  ASSERT_FALSE(recordOfSlot1.empty());
  const std::string sceneNum = reference.state["SceneNum"];

  // Other slots' lines make every save write (and sync) a megabyte, so
  // that kills land inside writes too.
  std::string junk;
  while (junk.size() < 1000000) junk += "6PADDING :" + std::string(90, 'x') + "\r\n";
  writeFile("tavino.sav", recordOfSlot1.substr(0, recordOfSlot1.size() - 2) + junk + "\r\n");

  std::mt19937 random(15);
  int partialWrites = 0, unchanged = 0;
  for (int k = 0; k < kills; k++) {
    const std::string before = readFile("tavino.sav");
    std::remove("tavino.sav.tmp");  // what an earlier kill left half written
    std::remove("tavino.seen");     // so that every run writes it anew
    std::vector<int> slots;
    const pid_t pid = startPlay(saveKeys(slots));
    ASSERT_GT(pid, 0);
    // Half the kills fall anywhere; the other half aim at a write in progress:
    // once the new file has appeared beside the old one, within a few ms.
    std::this_thread::sleep_for(std::chrono::milliseconds(400 + random() % 1200));
    if (k % 2) {
      for (int polls = 0; polls < 30000 && !fileExists("tavino.sav.tmp"); polls++)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);

    std::string after = readFile("tavino.sav");
    if (after == before) unchanged++;
    if (fileExists("tavino.sav.tmp")) partialWrites++;
    ASSERT_TRUE(withoutClock(after)) << "kill " << k << ": a damaged time stamp";
    std::string state = before;
    bool found = false;
    for (size_t i = 0; !found; i++) {
      std::string expected = state;
      withoutClock(expected);
      found = expected == after;
      if (i == slots.size()) break;
      state = afterSave(recordOfSlot1, slots[i], state);
    }
    ASSERT_TRUE(found) << "kill " << k << ": tavino.sav is neither the old nor a new file";
    SeenMarks marks;
    const std::string seen = readFile("tavino.seen");
    ASSERT_TRUE(seen.empty() || seenTextParse(seen, marks)) << "kill " << k << ": a damaged tavino.seen";

    PlayRun load = playScenario(dir_, "up,enter,down,enter");
    ASSERT_EQ(load.status, 0) << "kill " << k << ":\n" << load.output;
    EXPECT_EQ(load.state["SceneNum"], sceneNum) << "kill " << k;
    EXPECT_EQ(load.state["menumode"], "0") << "kill " << k;
    EXPECT_EQ(load.output.find("tavino.seen"), std::string::npos) << "kill " << k << ":\n" << load.output;
  }
  std::printf("%d kills: %d inside a write, %d with the file not yet replaced\n", kills, partialWrites, unchanged);
}

}  // namespace
