// The player in a real X window (under Xvfb): it opens its window, shows the
// title screen, starts the game on Return and ends cleanly when asked to.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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

// Pixel (x, y) of the root window as 0x00RRGGBB, from an xwd dump: a
// ZPixmap of three or four bytes a pixel, rows possibly padded; 0xFFFFFFFF
// when the dump fails.
struct Screen {
  std::string dump;
  uint32_t at(int x, int y) const {
    const auto* b = reinterpret_cast<const uint8_t*>(dump.data());
    auto field = [b](size_t i) {
      return uint32_t(b[i * 4]) << 24 | b[i * 4 + 1] << 16 | b[i * 4 + 2] << 8 | b[i * 4 + 3];
    };
    if (dump.size() < 100) return 0xFFFFFFFFu;
    const uint32_t bpp = field(11) / 8, bytesPerLine = field(12);
    const size_t at = field(0) + size_t(field(19)) * 12 + size_t(y) * bytesPerLine + size_t(x) * bpp;
    if ((bpp != 3 && bpp != 4) || dump.size() < at + bpp) return 0xFFFFFFFFu;
    const uint8_t* p = b + at;
    return field(7) == 0 ? uint32_t(p[0]) | p[1] << 8 | p[2] << 16
                         : uint32_t(p[bpp - 1]) | p[bpp - 2] << 8 | p[bpp - 3] << 16;
  }
};

// Polls the screen until `ready` holds or ten seconds pass.
template <typename Ready>
bool waitForScreen(const std::string& display, Screen& screen, Ready ready) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    const CommandResult r = runCommand("xwd -root -silent -display " + display);
    screen.dump = r.status == 0 ? r.output : "";
    if (ready(screen)) return true;
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
    xvfb_ = spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", "800x600x24", "-nolisten",
                   "tcp"}, "");
    close(ready[1]);
    display_.assign(1, ':');  // assign, not "=": GCC 12 warns falsely on it here
    for (char c; read(ready[0], &c, 1) == 1 && c != '\n';) display_ += c;
    close(ready[0]);
    ASSERT_NE(display_, ":") << "Xvfb did not start";
  }
  void TearDown() override {
    if (player_ > 0) kill(player_, SIGKILL), waitpid(player_, nullptr, 0);
    if (xvfb_ > 0) kill(xvfb_, SIGTERM), waitpid(xvfb_, nullptr, 0);
    PlayerDirTest::TearDown();
  }
  bool playerRunning() {
    int status = 0;
    if (player_ <= 0 || waitpid(player_, &status, WNOHANG) != player_) return player_ > 0;
    player_ = -1;
    lastStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
  }
  int lastStatus_ = 0;
  std::string display_;
  pid_t xvfb_ = -1, player_ = -1;
};

}  // namespace

TEST_F(RealWindow, OpensTitleTogglesFullScreenStartsOnReturnAndQuitsCleanly) {
  // A red scene at the 1920 x 1080 design size in a 720 x 480 window is
  // scaled to 720 x 405 and centred 37 rows down, black above and below.
  writeFile("sinario.txt", "SCENE:1\nHAIKEI.CLEAR:16711680\nKEYWAIT:\n");
  // The white title screen, 720 x 480, in the top-left of the 800 x 600 screen;
  // full screen centres it with black all round.
  auto windowed = [](const Screen& s) { return s.at(5, 5) == 0xFFFFFF && s.at(750, 500) != 0xFFFFFF; };
  auto full = [](const Screen& s) { return s.at(5, 5) == 0 && s.at(750, 500) == 0xFFFFFF; };
  Screen screen;
  // Now and then this SDL's X11 driver fails to open a display that other
  // clients reach fine, and the player ends at once; start it again then.
  for (int attempt = 0; attempt < 3; attempt++) {
    player_ = spawn({TAVINO_PLAYER, "130"}, display_);
    if (waitForScreen(display_, screen, [&](const Screen& s) { return windowed(s) || !playerRunning(); }) &&
        playerRunning())
      break;
  }
  ASSERT_TRUE(windowed(screen)) << "no title screen; the player "
                                << (playerRunning() ? "runs" : "ended with " + std::to_string(lastStatus_));
  runCommand("DISPLAY=" + display_ + " xdotool key f");
  EXPECT_TRUE(waitForScreen(display_, screen, full)) << "F did not cover the screen";
  runCommand("DISPLAY=" + display_ + " xdotool key F11");
  EXPECT_TRUE(waitForScreen(display_, screen, windowed)) << "F11 did not bring the window back";

  runCommand("DISPLAY=" + display_ + " xdotool mousemove 300 200 key Return");
  ASSERT_TRUE(waitForScreen(display_, screen, [](const Screen& s) {
    return s.at(360, 240) == 0xFF0000;
  })) << "Return did not start the red scene";
  EXPECT_EQ((std::vector<uint32_t>{screen.at(360, 36), screen.at(360, 37), screen.at(360, 441), screen.at(360, 442)}),
            (std::vector<uint32_t>{0, 0xFF0000, 0xFF0000, 0}));

  // SDL turns SIGTERM into a quit request: the player leaves its loop with 0.
  kill(player_, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(player_, &status, 0), player_);
  player_ = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
