// tavino-tool subcommands. Each takes the arguments after its own name and
// returns the process exit status.
#pragma once

#include <cstdint>
#include <string>

int toolPlay(int argc, char** argv);    // play.cpp
int toolDecode(int argc, char** argv);  // decode.cpp
int toolRle(int argc, char** argv);     // rle_encode.cpp
int toolFont(int argc, char** argv);    // font_build.cpp
int toolRc(int argc, char** argv);      // rc_tool.cpp
int toolLint(int argc, char** argv);    // lint.cpp
int toolGraph(int argc, char** argv);   // graph.cpp
int toolNew(int argc, char** argv);     // new_game.cpp
int toolWeb(int argc, char** argv);     // web_export.cpp
int toolSoak(int argc, char** argv);    // soak.cpp

// Per-format halves of `decode`: read IN, write the picture exactly as the
// player decodes it to OUT. On a refused file: one line on stderr, exit 1.
int decodeBmp(const char* in, const char* out);  // decode_bmp.cpp
int decodeRle(const char* in, const char* out);  // decode_rle.cpp
int decodePng(const char* in, const char* out);  // decode_png.cpp
int decodeJpg(const char* in, const char* out);  // decode_jpg.cpp

// Reads a whole file; false when it cannot be opened.
bool readWholeFile(const char* path, std::string& bytes);
// Writes packed rows (top row first) as binary PPM (P6, 3 bytes a pixel) or
// PAM (P7 RGB_ALPHA, 4 bytes a pixel). False on a write error.
bool writePpm(const char* path, const uint8_t* rgb, int width, int height);
bool writePam(const char* path, const uint8_t* rgba, int width, int height);
