#include <algorithm>

#include "image/jpeg_setup.h"
#include "image/jpeg_tables.h"
#include "scenario/engine_state.h"

namespace {

uint32_t be16(const uint8_t* d) { return (uint32_t(d[0]) << 8) | d[1]; }

void readQuantTable(const uint8_t* zigzagOrder, int32_t* table) {
  for (int k = 0; k < 64; k++) table[gJpegZigZag[k]] = zigzagOrder[k];
}

// Tables are numbered by their order of appearance; the Pq/Tq byte is ignored.
JpegError readDqt(const uint8_t* data, size_t size, size_t p, size_t length, JpegSetup& s) {
  const int tables = (static_cast<int>(length) - 2) / 65;
  if (tables == 2 && s.quantCount == 0) {
    if (p + 134 > size) return JpegError::Truncated;
    readQuantTable(data + p + 5, s.quant[0]);
    readQuantTable(data + p + 70, s.quant[1]);
    s.quantCount = 2;
    return JpegError::None;
  }
  if (tables == 1 && s.quantCount <= 1) {
    if (p + 69 > size) return JpegError::Truncated;
    readQuantTable(data + p + 5, s.quant[s.quantCount++]);
    return JpegError::None;
  }
  return JpegError::BadQuantTables;
}

// Reads tables until the byte after one is 0xFF; the segment length is not
// used. *next is set to that byte.
JpegError readDht(const uint8_t* data, size_t size, size_t p, JpegSetup& s, size_t* next) {
  size_t q = p + 4;
  for (;;) {
    if (q + 17 > size) return JpegError::Truncated;
    const int tableClass = data[q] >> 4, id = data[q] & 15;
    if (tableClass > 1 || id > 1) return JpegError::BadTableId;
    int total = 0;
    for (int i = 1; i <= 16; i++) total += data[q + i];
    if (total > 256) return JpegError::HuffmanTooLarge;
    if (q + 17 + total > size) return JpegError::Truncated;
    jpegBuildHuffman(s.huff[2 * tableClass + id], data + q + 1, data + q + 17);
    q += 17 + total;
    if (q >= size) return JpegError::Truncated;
    if (data[q] == 0xFF) {
      *next = q;
      return JpegError::None;
    }
  }
}

JpegError readSof0(const uint8_t* data, size_t size, size_t p, JpegSetup& s) {
  if (p + 10 > size) return JpegError::Truncated;
  s.height = static_cast<int32_t>(be16(data + p + 5));
  s.width = static_cast<int32_t>(be16(data + p + 7));
  s.components = data[p + 9];
  if (s.components < 1 || s.components > 3) return JpegError::BadComponents;
  if (p + 10 + 3 * size_t(s.components) > size) return JpegError::Truncated;
  for (int c = 0; c < s.components; c++) {
    const uint8_t* comp = data + p + 10 + 3 * c;
    s.H[c] = comp[1] >> 4;
    s.V[c] = comp[1] & 15;
    s.Tq[c] = static_cast<int8_t>(comp[2]);
    s.hmax = std::max(s.hmax, s.H[c]);
    s.vmax = std::max(s.vmax, s.V[c]);
  }
  s.haveFrame = true;
  return JpegError::None;
}

JpegError readSos(const uint8_t* data, size_t size, size_t p, size_t length, JpegSetup& s) {
  if (!s.haveFrame) return JpegError::NoFrame;
  if (p + 5 > size) return JpegError::Truncated;
  const int scanComponents = data[p + 4];
  if (scanComponents > 4) return JpegError::BadComponents;
  if (p + 5 + 2 * size_t(scanComponents) > size) return JpegError::Truncated;
  // Only the DC selector is read; the AC table used has the same id.
  for (int i = 0; i < scanComponents; i++) {
    s.Td[i] = data[p + 6 + 2 * i] >> 4;
    if (s.Td[i] > 1) return JpegError::BadTableId;
  }
  s.dataStart = p + 2 + length;
  if (s.dataStart > size) return JpegError::Truncated;
  return JpegError::None;
}

// The frame limits the scan decoder relies on.
JpegError checkFrame(JpegSetup& s) {
  // A one-component scan is not interleaved: its MCU is one block whatever
  // the sampling factors say.
  if (s.components == 1 && s.H[0] >= 1 && s.H[0] <= 4 && s.V[0] >= 1 && s.V[0] <= 4)
    s.H[0] = s.V[0] = s.hmax = s.vmax = 1;
  if (s.hmax * s.vmax * 64 > 256) return JpegError::McuTooLarge;
  for (int c = 0; c < s.components; c++) {
    if (s.H[c] < 1 || s.V[c] < 1 || s.hmax % s.H[c] != 0 || s.vmax % s.V[c] != 0)
      return JpegError::BadSampling;
    if (s.Tq[c] < 0 || s.Tq[c] > 1) return JpegError::BadTableId;
  }
  if (s.width > kFrameW || s.height > kFrameH) return JpegError::TooLarge;
  if (s.restart && s.restartInterval == 0) return JpegError::ZeroRestartInterval;
  return JpegError::None;
}

}  // namespace

JpegError jpegReadMarkers(const uint8_t* data, size_t size, JpegSetup& s) {
  if (size < 2 || data[0] != 0xFF || data[1] != 0xD8) return JpegError::NotJpeg;
  size_t p = 2;
  for (;;) {
    if (p + 2 > size) return p == size ? JpegError::NoScan : JpegError::Truncated;
    // A byte other than 0xFF where a marker belongs is skipped like a segment.
    const uint8_t marker = data[p] == 0xFF ? data[p + 1] : 0;
    if (marker == 0xC2) return JpegError::Progressive;
    if (marker == 0xC4) {
      JpegError e = readDht(data, size, p, s, &p);
      if (e != JpegError::None) return e;
      continue;
    }
    if (p + 4 > size) return JpegError::Truncated;
    const size_t length = be16(data + p + 2);
    JpegError e = JpegError::None;
    switch (marker) {
      case 0xDB:
        e = readDqt(data, size, p, length, s);
        break;
      case 0xC0:
        e = readSof0(data, size, p, s);
        break;
      case 0xDD:
        if (p + 6 > size) return JpegError::Truncated;
        s.restart = true;
        s.restartInterval = static_cast<int32_t>(be16(data + p + 4));
        p += 6;  // the length field is not trusted here
        continue;
      case 0xDA:
        e = readSos(data, size, p, length, s);
        if (e != JpegError::None) return e;
        return checkFrame(s);
      default:
        break;
    }
    if (e != JpegError::None) return e;
    p += length + 2;
  }
}

JpegError jpegDecode(const uint8_t* data, size_t size, uint8_t* out, size_t capacity,
                     JpegPicture& picture) {
  jpegBuildTables();
  JpegSetup setup;  // every call starts from empty tables
  JpegError e = jpegReadMarkers(data, size, setup);
  if (e != JpegError::None) return e;
  picture.width = setup.width;
  picture.height = setup.height;
  return jpegDecodeScan(data, size, setup, out, capacity);
}
