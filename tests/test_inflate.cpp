// Inflate's refusals and leniencies, on hand-made streams kept among
// fuzz_inflate's seeds (its replay runs them under the sanitizers too). The
// comparison with zlib on streams of every kind it writes is fuzz_inflate's.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "image/inflate.h"
#include "support/test_support.h"

TEST(Inflate, EachHandMadeStreamEndsWithItsStatus) {
  using enum InflateStatus;
  const std::pair<const char*, InflateStatus> cases[] = {
      {"bad_block_type", BadBlockType},
      {"length_symbol_286", BadLengthSymbol},
      {"copy_before_start", DistanceTooFar},
      {"distance_symbol_30", DistanceTooFar},
      {"ends_in_fixed_block", InputEnded},
      {"stored_past_end", InputEnded},
      {"window_64k", BadWindow},
      {"window_8k_copy_8192_back", Ok},  // CINFO 5: the window is the one the header names
      {"window_8k_copy_8193_back", DistanceTooFar},
      {"five_bytes", Ok},                       // nothing to read
      {"stored_nlen_unchecked_not_final", Ok},  // NLEN is not compared; no block needs the final bit
      {"oversubscribed_code_length_code", BadCodeLengths},
      {"repeat_of_no_length", BadCodeLengths},  // code 16 first
      {"zero_run_past_lists", BadCodeLengths},
      {"zero_run_past_320_lengths", BadCodeLengths},
      {"oversubscribed_literal_code", BadCodeLengths},
      {"incomplete_literal_code_unused_hole", Ok},
      {"incomplete_literal_code", BadCode},  // a code falls into the hole
  };
  for (const auto& [name, want] : cases) {
    const std::string stream = readFile(std::string(TAVINO_SOURCE_DIR) + "/fuzz/corpus/inflate/" + name + ".z");
    ASSERT_FALSE(stream.empty()) << name;
    const auto* bytes = reinterpret_cast<const uint8_t*>(stream.data());
    EXPECT_EQ(inflateZlibStream(bytes, stream.size(), [](void*, const uint8_t*, size_t) {}, nullptr), want) << name;
  }
}
