// The player in a real X window (under Xvfb): it opens its window, shows the
// title screen, starts the game on Return and ends cleanly when asked to.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace {

pid_t spawn(const std::vector<std::string>& args, const std::string& display) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("SDL_AUDIODRIVER");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // Under LeakSanitizer: what libX11 keeps until exit is not the player's.
    setenv("LSAN_OPTIONS", "suppressions=" TAVINO_SOURCE_DIR "/tests/support/x11.supp", 1);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

// The root window as 0x00RRGGBB pixels, read from an xwd dump (ZPixmap of
// three or four bytes a pixel; rows may be padded beyond that).
struct Screen {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

uint32_t headerField(const std::string& b, size_t field) {
  const auto* p = reinterpret_cast<const uint8_t*>(b.data()) + field * 4;
  return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

bool grab(const std::string& display, Screen& screen) {
  const CommandResult r = runCommand("xwd -root -silent -display " + display);
  const std::string& b = r.output;
  if (r.status != 0 || b.size() < 100) return false;
  const uint32_t headerSize = headerField(b, 0), width = headerField(b, 4);
  const uint32_t height = headerField(b, 5), lsbFirst = headerField(b, 7) == 0;
  const uint32_t bytesPerPixel = headerField(b, 11) / 8, bytesPerLine = headerField(b, 12);
  const size_t start = headerSize + size_t(headerField(b, 19)) * 12;
  if ((bytesPerPixel != 3 && bytesPerPixel != 4) || bytesPerLine < width * bytesPerPixel ||
      b.size() < start + size_t(bytesPerLine) * height)
    return false;
  screen.width = int(width), screen.height = int(height);
  screen.pixels.resize(size_t(width) * height);
  for (uint32_t y = 0; y < height; y++) {
    const auto* row = reinterpret_cast<const uint8_t*>(b.data()) + start + size_t(y) * bytesPerLine;
    for (uint32_t x = 0; x < width; x++) {
      const uint8_t* p = row + x * bytesPerPixel;
      const uint32_t value = lsbFirst ? uint32_t(p[0]) | p[1] << 8 | p[2] << 16
                                      : uint32_t(p[bytesPerPixel - 1]) | p[bytesPerPixel - 2] << 8 |
                                            p[bytesPerPixel - 3] << 16;
      screen.pixels[size_t(y) * width + x] = value;
    }
  }
  return true;
}

// Polls the screen until `ready` holds or ten seconds pass.
template <typename Ready>
bool waitForScreen(const std::string& display, Screen& screen, Ready ready) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (grab(display, screen) && ready(screen)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

class RealWindow : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    // Xvfb picks a free display itself and writes its number to the pipe
    // once it takes clients.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    xvfb_ = spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", "800x600x24",
                   "-nolisten", "tcp"},
                  "");
    close(ready[1]);
    std::string number;
    char c;
    while (read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    display_.assign(1, ':').append(number);
  }
  void TearDown() override {
    if (player_ > 0) kill(player_, SIGKILL), waitpid(player_, nullptr, 0);
    if (xvfb_ > 0) kill(xvfb_, SIGTERM), waitpid(xvfb_, nullptr, 0);
    PlayerDirTest::TearDown();
  }
  bool playerRunning() {
    int status = 0;
    if (player_ <= 0) return false;
    if (waitpid(player_, &status, WNOHANG) != player_) return true;
    player_ = -1;
    lastStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
  }
  // For failure messages.
  std::string playerState() {
    return playerRunning() ? "the player is running"
                           : "the player ended with status " + std::to_string(lastStatus_);
  }
  int lastStatus_ = 0;
  std::string display_;
  pid_t xvfb_ = -1, player_ = -1;
};

}  // namespace

TEST_F(RealWindow, OpensTitleStartsOnReturnAndQuitsCleanly) {
  // A red scene at the 1920 x 1080 design size in a 720 x 480 window is
  // scaled to 720 x 405 and centred 37 rows down, black above and below.
  writeFile("sinario.txt", "SCENE:1\nHAIKEI.CLEAR:16711680\nKEYWAIT:\n");
  Screen screen;
  bool title = false;
  // Now and then this SDL's X11 driver fails to open a display that other
  // clients reach fine, and the player ends at once; start it again then.
  for (int attempt = 0; attempt < 3 && !title; attempt++) {
    player_ = spawn({TAVINO_PLAYER, "130"}, display_);
    waitForScreen(display_, screen, [this](const Screen& s) {
      return s.at(700, 470) == 0xFFFFFF || !playerRunning();  // white: the title screen
    });
    title = screen.at(700, 470) == 0xFFFFFF;
    if (!title && playerRunning()) break;
  }
  ASSERT_TRUE(title) << "no title screen in the window; " << playerState();
  EXPECT_NE(screen.at(760, 300), 0xFFFFFFu) << "the window is 720 pixels wide";

  runCommand("DISPLAY=" + display_ + " xdotool mousemove 300 200 key Return");
  ASSERT_TRUE(waitForScreen(display_, screen, [](const Screen& s) {
    return s.at(360, 240) == 0xFF0000;
  })) << "Return did not start the red scene";
  EXPECT_EQ(screen.at(360, 37), 0xFF0000u);
  EXPECT_EQ(screen.at(360, 36), 0x000000u);
  EXPECT_EQ(screen.at(360, 441), 0xFF0000u);
  EXPECT_EQ(screen.at(360, 442), 0x000000u);

  // SDL turns SIGTERM into a quit request: the player leaves its loop with 0.
  kill(player_, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(player_, &status, 0), player_);
  player_ = -1;
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
