#include "lint_assets.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "image/bmp.h"
#include "image/jpeg_decoder.h"
#include "image/jpeg_setup.h"
#include "image/png_decode.h"
#include "image/rle.h"
#include "scenario/engine_state.h"
#include "scenario/sound.h"
#include "text/font_layout.h"
#include "text/range_coder.h"
#include "tool.h"

namespace {

const char* const kPlainBmp = "save as a plain 24-bit BMP";

// Reads at most `limit` bytes of a file, as the player does, and tells its
// full size; false when it cannot be read. Huge files cost no more than that.
bool readPrefix(const std::string& path, size_t limit, std::string& bytes, uint64_t& fullSize) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) return false;
  bytes.resize(limit);
  bytes.resize(std::fread(bytes.data(), 1, limit, f.get()));
  if (std::ferror(f.get())) return false;
  fullSize = bytes.size();
  if (bytes.size() == limit && std::fseek(f.get(), 0, SEEK_END) == 0) {
    const long end = std::ftell(f.get());
    if (end > 0) fullSize = uint64_t(end);
  }
  return true;
}

const char* formatName(PictureFormat f) {
  switch (f) {
    case PictureFormat::RunLength: return "a run-length picture";
    case PictureFormat::Bmp: return "a BMP";
    case PictureFormat::Jpeg: return "a JPEG";
    case PictureFormat::Png: return "a PNG";
  }
  return "";
}

// What the file's first bytes say it is, whatever its name.
const char* sniff(const std::string& b) {
  if (b.size() >= 4 && b.compare(1, 3, "PNG") == 0) return "a PNG";
  if (b.size() >= 2 && uint8_t(b[0]) == 0xFF && uint8_t(b[1]) == 0xD8) return "a JPEG";
  if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return "a BMP";
  return nullptr;
}

std::string tooLarge(int64_t width, int64_t height) {
  if (width <= kFrameW && height <= kFrameH) return "";
  return "picture is " + std::to_string(width) + " x " + std::to_string(height) +
         ", larger than 1920 x 1080";
}

uint32_t little(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; i--) v = v << 8 | (at + size_t(i) < b.size() ? uint8_t(b[at + size_t(i)]) : 0);
  return v;
}

std::string pngProblem(size_t n) {
  PngInfo info;
  const PngStatus status = decodePngPicture(n, info);
  switch (status) {
    case PngStatus::Ok: return tooLarge(info.width, info.height);
    case PngStatus::NotPng: return "not a PNG file: save it as PNG";
    case PngStatus::Unsupported:
      if (info.colourType == 3) return "palette PNG: save as RGB or RGBA";
      if (info.colourType == 0 || info.colourType == 4) return "greyscale PNG: save as RGB or RGBA";
      if (info.colourType != 2 && info.colourType != 6) return "damaged PNG header: save it again";
      if (info.bitDepth != 8)
        return std::to_string(info.bitDepth) + "-bit PNG: save with 8 bits per channel";
      if (info.interlace != 0) return "interlaced PNG: save it without interlacing";
      return "damaged PNG header: save it again";
    case PngStatus::TooLarge: {
      const std::string large = tooLarge(uint32_t(info.width), uint32_t(info.height));
      return large.empty() ? "picture has no pixels" : large;
    }
    case PngStatus::NoHeader: return "damaged PNG: no IHDR chunk: save it again";
    case PngStatus::BadStream:
      return std::string("damaged PNG: ") + inflateStatusText(info.stream) + ": save it again";
    case PngStatus::MissingRows:
      return "damaged PNG: image data ends after " + std::to_string(info.rowsDecoded) + " of " +
             std::to_string(info.height) + " rows: save it again";
  }
  return "";
}

std::string jpegProblem(const std::string& bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  JpegPicture picture;
  const JpegError error = jpegDecode(data, bytes.size(), gdata, kWorkBufferSize, picture);
  switch (error) {
    case JpegError::None: return "";
    case JpegError::NotJpeg: return "not a JPEG file: save it as JPEG";
    case JpegError::Progressive: return "progressive JPEG: save as baseline";
    case JpegError::TooLarge: {
      JpegSetup setup;
      jpegReadMarkers(data, bytes.size(), setup);
      return tooLarge(setup.width, setup.height);
    }
    default: return std::string("JPEG the player cannot decode (") + jpegErrorText(error) + "): save as baseline";
  }
}

std::string bmpProblem(const std::string& bytes, int32_t n) {
  const uint32_t pixelsAt = little(bytes, 10, 4);
  const uint32_t bits = little(bytes, 28, 1);  // the loader reads the low byte only
  if (bits != 16 && bits != 24 && bits != 32)
    return std::to_string(bits) + "-bit BMP: the player blacks out the screen instead: " + kPlainBmp;
  if (pixelsAt != uint32_t(kBmpPixelOffset))
    return "BMP pixels start at byte " + std::to_string(pixelsAt) +
           ", the player reads from byte 54: " + kPlainBmp;
  if (little(bytes, 30, 4) != 0) return std::string("compressed or bit-field BMP: ") + kPlainBmp;
  // The size as the file states it; the loader itself keeps 16 bits of each.
  const int64_t width = int32_t(little(bytes, 18, 4)), height = std::abs(int64_t(int32_t(little(bytes, 22, 4))));
  const std::string large = tooLarge(width, height);
  if (!large.empty()) return large;
  BmpPicture picture;
  bmpConvert(n, picture);
  if (picture.width == 0 || picture.height == 0) return "picture has no pixels";
  if (picture.rowsHeld < picture.height)
    return "file holds only " + std::to_string(picture.rowsHeld) + " of " + std::to_string(picture.height) +
           " rows: save it again";
  return "";
}

// The stream has no header: its commands must cover every position of the
// picture, or the rest keeps whatever lay there before.
std::string runLengthProblem(const std::string& bytes, int width) {
  const int64_t total = int64_t(width) * kRleRows;
  int64_t filled = 0;
  for (size_t at = 1; filled < total; at += 2) {
    if (at + 2 > bytes.size())
      return "run-length stream ends after " + std::to_string(filled) + " of " + std::to_string(total) +
             " pixels: the rest of the picture is not drawn: encode it again with tavino-tool rle encode";
    const uint8_t command = uint8_t(bytes[at]), count = uint8_t(bytes[at + 1]);
    filled += command == kRlePair ? 2 * int64_t(count) + 2
              : command == kRleRepeat || command == kRleSkip ? int64_t(count) + 1
                                                            : 1;
  }
  return "";
}

}  // namespace

std::string pictureProblem(const std::string& path, PictureFormat format, int runLengthWidth) {
  std::string bytes;
  uint64_t fileSize = 0;
  if (!readPrefix(path, kMaxFileRead, bytes, fileSize)) return "";
  const char* actual = sniff(bytes);
  if (actual && std::strcmp(actual, formatName(format)) != 0)
    return std::string("this is ") + actual + " file, but the statement reads " + formatName(format) +
           ": use the statement for its format or convert the file";
  std::memcpy(gfilework, bytes.data(), bytes.size());
  std::string problem;
  switch (format) {
    case PictureFormat::Png: problem = pngProblem(bytes.size()); break;
    case PictureFormat::Jpeg: problem = jpegProblem(bytes); break;
    case PictureFormat::Bmp:
      problem = actual ? bmpProblem(bytes, int32_t(bytes.size()))
                       : std::string("not a BMP file: the player blacks out the whole screen: ") + kPlainBmp;
      break;
    case PictureFormat::RunLength: problem = runLengthProblem(bytes, runLengthWidth); break;
  }
  if (problem.empty() && fileSize > bytes.size())
    problem = "file is " + std::to_string(fileSize) + " bytes; the player reads only the first 8294500: make it smaller";
  return problem;
}

std::string soundProblem(const std::string& path) {
  SDL_AudioSpec in;
  Uint8* samples = nullptr;
  Uint32 length = 0;
  if (!soundFileHeaderSafe(path.c_str()) ||
      !SDL_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1, &in, &samples, &length))
    return std::string("SDL cannot load it (") + SDL_GetError() + "): save as uncompressed 8- or 16-bit PCM WAV";
  SDL_FreeWAV(samples);
  SDL_AudioCVT cvt;
  if (!soundFormatConvertible(in) ||
      SDL_BuildAudioCVT(&cvt, in.format, in.channels, in.freq, AUDIO_S16LSB, 2, 22050) < 0)
    return "SDL cannot convert " +
           (in.channels == 1 ? std::string("mono") : in.channels == 2 ? "stereo" : std::to_string(in.channels) + "-channel") +
           " sound at " + std::to_string(in.freq) +
           " Hz to the player's format: save as 8- or 16-bit PCM, mono or stereo, 1000 to 384000 Hz";
  return "";
}

bool FontGlyphs::has(uint8_t lead, int trail) const {
  GlyphCell cell;
  const bool mapped = trail < 0 ? singleByteCell(lead, cell) : doubleByteCell(lead, uint8_t(trail), cell);
  if (!mapped) return false;
  const size_t index = size_t(cell.page) * kGlyphCellsPerPage + size_t(cell.cell);
  return index < inked.size() && inked[index];
}

FontGlyphs loadFontGlyphs(const std::string& dir, int msgFont) {
  FontGlyphs font;
  const std::string name = fontFileName(msgFont);
  std::string file;
  uint64_t fileSize = 0;
  // A raw font is read up to the size of the font image, a compressed one must fit the work buffer.
  if (!readPrefix(dir + name, kFontBytes, file, fileSize)) {
    font.problem = "font file " + name + " not found";
    return font;
  }
  std::vector<uint8_t> image(kFontBytes, 0);
  if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') {
    std::memcpy(image.data(), file.data(), std::min(file.size(), image.size()));
  } else if (fileSize > uint64_t(kMaxFileRead)) {
    font.problem = "font " + name + " is a compressed file longer than 8294500 bytes: the player refuses it";
    return font;
  } else {
    const RcDecodeResult r = mem_decode(image.data(), image.size(), reinterpret_cast<const uint8_t*>(file.data()),
                                        file.size());
    if (r.status != RcStatus::ok) {
      font.problem = "font " + name + " is refused (" + rcStatusText(r.status) +
                     "): build it again with tavino-tool font build";
      return font;
    }
  }
  font.loaded = true;
  if (const char* kana = kanaFileName(msgFont)) {
    if (readPrefix(dir + kana, kKanaFileBytes, file, fileSize)) {
      std::memcpy(image.data() + kKanaPagesOffset, file.data(), std::min(file.size(), size_t(kKanaFileBytes)));
    } else {
      font.problem = std::string("kana file ") + kana + " not found: the kana of " + name + " are shown";
    }
  }
  font.inked.assign(size_t(kGlyphPages) * kGlyphCellsPerPage, false);
  for (int page = 0; page < kGlyphPages; page++) {
    for (int cell = 0; cell < kGlyphCellsPerPage; cell++) {
      const long at = glyphOffset({page, cell});
      if (at + kGlyphCellBytes > kFontBytes) continue;
      const uint8_t* p = image.data() + at;
      font.inked[size_t(page) * kGlyphCellsPerPage + size_t(cell)] =
          std::any_of(p, p + kGlyphCellBytes, [](uint8_t b) { return b != 0; });
    }
  }
  return font;
}
