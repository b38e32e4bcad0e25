// The player's own zlib stream decompressor: stored, fixed and dynamic
// DEFLATE blocks, table-driven Huffman decoding, a history window sized from
// the zlib header. It never reads outside its input nor writes outside its
// own buffers, whatever the bytes say.
#pragma once

#include <cstddef>
#include <cstdint>

enum class InflateStatus {
  Ok,
  BadWindow,        // CINFO above 7 (window larger than 32 KiB)
  BadBlockType,     // block type 3
  BadLengthSymbol,  // literal/length symbol 286 or 287
  BadCode,          // a bit sequence that matches no code
  BadCodeLengths,   // over-subscribed code set, repeat with nothing to repeat or past the list
  DistanceTooFar,   // copy from before the output start or beyond the window
  InputEnded,       // the input ends inside a block
};

// Receives the produced bytes in stream order, a chunk at a time.
using InflateSink = void (*)(void* context, const uint8_t* bytes, size_t count);

// Decompresses the zlib stream in `stream[0 .. length)`. The last four bytes
// (the Adler-32 checksum) are never read; the stream ends after a final block
// or when a block ends at that point. On an error the bytes already handed to
// the sink stay handed; what was still buffered is dropped.
InflateStatus inflateZlibStream(const uint8_t* stream, size_t length, InflateSink sink,
                                void* context);

const char* inflateStatusText(InflateStatus status);
