#include "image/png_decode.h"

#include <cstring>

#include "image/png_rows.h"
#include "scenario/engine_state.h"

namespace {

inline uint32_t bigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

PngStatus readHeader(const uint8_t* data, uint32_t length, PngInfo& info) {
  if (length < 13) return PngStatus::Unsupported;
  const uint32_t width = bigEndian32(data);
  const uint32_t height = bigEndian32(data + 4);
  info.bitDepth = data[8];
  info.colourType = data[9];
  info.interlace = data[12];
  info.width = int32_t(width);
  info.height = int32_t(height);
  info.bytesPerPixel = 0;
  if (info.bitDepth != 8 || (info.colourType != 2 && info.colourType != 6) || info.interlace != 0)
    return PngStatus::Unsupported;
  const uint64_t bytesPerPixel = info.colourType == 6 ? 4 : 3;
  // Decoded rows live in gfilework: anything that does not fit is refused.
  if (width == 0 || height == 0 || width > uint32_t(INT32_MAX) || height > uint32_t(INT32_MAX) ||
      uint64_t(width) * height * bytesPerPixel > uint64_t(kWorkBufferSize))
    return PngStatus::TooLarge;
  info.bytesPerPixel = int32_t(bytesPerPixel);
  return PngStatus::Ok;
}

void feedRows(void* builder, const uint8_t* bytes, size_t count) {
  static_cast<PngRowBuilder*>(builder)->feed(bytes, count);
}

}  // namespace

PngStatus decodePngPicture(size_t fileBytes, PngInfo& info) {
  info = PngInfo{};
  const uint8_t* file = gfilework;
  if (fileBytes > size_t(kMaxFileRead)) fileBytes = kMaxFileRead;
  // Only "PNG" is compared; the other signature bytes are not looked at.
  if (fileBytes < 4 || std::memcmp(file + 1, "PNG", 3) != 0) return PngStatus::NotPng;

  // Walk the chunks; a chunk whose data runs past what was read ends the
  // walk as IEND does. CRCs are not checked.
  bool haveHeader = false;
  size_t gathered = 0;
  for (size_t pos = 8; pos + 8 <= fileBytes;) {
    const uint32_t length = bigEndian32(file + pos);
    const uint8_t* type = file + pos + 4;
    const size_t data = pos + 8;
    if (length > fileBytes - data) break;
    if (type[0] == 'I') {
      if (std::memcmp(type + 1, "END", 3) == 0) break;
      if (std::memcmp(type + 1, "HDR", 3) == 0) {
        PngStatus header = readHeader(file + data, length, info);
        if (header != PngStatus::Ok) return header;
        haveHeader = true;
      } else if (std::memcmp(type + 1, "DAT", 3) == 0) {
        // The IDAT data together is never longer than the file, so it fits.
        std::memcpy(gdata + gathered, file + data, length);
        gathered += length;
      }
    }
    pos = data + length + 4;
  }
  if (!haveHeader) return PngStatus::NoHeader;

  PngRowBuilder rows{gfilework, size_t(info.width) * size_t(info.bytesPerPixel),
                     info.bytesPerPixel, info.height};
  info.stream = inflateZlibStream(gdata, gathered, feedRows, &rows);
  info.rowsDecoded = rows.rowsDone;
  if (info.stream != InflateStatus::Ok) return PngStatus::BadStream;
  // A picture with rows missing is as damaged as a broken stream.
  return rows.complete() ? PngStatus::Ok : PngStatus::MissingRows;
}
