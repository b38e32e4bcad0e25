// Shared test fixtures: every test that touches files runs in a fresh
// directory (the player opens everything relative to the current directory)
// with the engine state back at its process-start values.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class PlayerDirTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string dir_;  // the test's own directory, also the current directory

 private:
  std::string oldCwd_;
};

void writeFile(const std::string& path, const std::string& bytes);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

struct CommandResult {
  int status;          // exit status, or -1 when the command did not exit normally
  std::string output;  // standard output (and standard error when merged by the caller)
};
// Runs a shell command line and captures its standard output.
CommandResult runCommand(const std::string& commandLine);

// Path of a file of the public conformance corpus (folder/name).
std::string corpusPath(const std::string& relative);

// A binary PPM (P6) read back: width, height and packed RGB rows.
struct PpmImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};
bool readPpm(const std::string& path, PpmImage& out);

// Pixel (x, y) of a frame-layout buffer (1920 x 1080, RGB, stride 5760).
inline const uint8_t* framePixel(const uint8_t* frame, int x, int y) {
  return frame + size_t(y) * 5760 + size_t(x) * 3;
}
