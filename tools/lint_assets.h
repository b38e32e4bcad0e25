// The lint's checks of the files a scenario names: every picture, font and
// sound is run through the player's own decoders, and what they would
// refuse or show wrongly is described together with the fix.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Which decoder a picture statement hands its file to.
enum class PictureFormat { RunLength, Bmp, Jpeg, Png };

// Why the player would refuse or misdraw the picture file at `path` read
// with `format`, with the fix; empty when it draws as meant. A run-length
// picture is `runLengthWidth` pixels wide (640 backgrounds, 320 characters).
std::string pictureProblem(const std::string& path, PictureFormat format, int runLengthWidth = 640);

// Why SDL could not load or convert the WAV file at `path`; empty when it can.
std::string soundProblem(const std::string& path);

// A font as the player would load it, reduced to which glyph cells hold ink.
struct FontGlyphs {
  bool loaded = false;
  std::string problem;      // why it does not load, or loads only in part
  std::vector<bool> inked;  // by page * 189 + cell
  // Whether the character (a single byte when `trail` is -1) has a glyph.
  bool has(uint8_t lead, int trail) const;
};
FontGlyphs loadFontGlyphs(const std::string& dir, int msgFont);
