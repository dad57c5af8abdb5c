// base64_decode against a plain reference: a character at a time, skipping
// what is outside the alphabet, stopping at the first "=". The decoder takes
// whole groups and line ends in runs; the bytes must be the same whatever
// the text holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "codec/transfer_codings.h"

namespace {

std::string reference(std::string_view text) {
  std::string out;
  std::uint32_t bits = 0;
  int have = 0;
  for (const char c : text) {
    const std::size_t v = c == '\0' ? std::string_view::npos : kBase64Alphabet.find(c);
    if (v == std::string_view::npos) continue;
    if (v == 64) break;
    bits = bits << 6 | static_cast<std::uint32_t>(v);
    if (++have == 4) {
      out += static_cast<char>(bits >> 16);
      out += static_cast<char>(bits >> 8);
      out += static_cast<char>(bits);
      bits = 0;
      have = 0;
    }
  }
  if (have >= 2) out += static_cast<char>(bits >> (6 * have - 8));
  if (have == 3) out += static_cast<char>(bits >> 2);
  return out;
}

TEST(Base64DecodeReference, NamedCases) {
  const struct {
    const char* name;
    std::string in;
  } rows[] = {
      {"empty", ""},
      {"only a line end", "\r\n"},
      {"only padding", "===="},
      {"seven, eight and nine characters", "QUJDREVG\r\nQUJDREVGRw\r\nQUJDREVGR0g"},
      {"sixteen characters, no line end", "QUJDREVGR0hJSktM"},
      {"CR-only line ends", "QUJD\rREVG\rR0hJ\r"},
      {"LF-only line ends", "QUJD\nREVG\n\nR0hJ\n"},
      {"a line end inside a group", "QU\r\nJDREVG"},
      {"a blank inside a group", "QUJ DREVGR0hJ"},
      {"a stray byte after a whole group", "QUJD\x80REVGR0hJSktM"},
      {"padding in the second group of eight", "QUJDRA==QUJD"},
      {"padding at the end of a line", "QUJDREVGRw==\r\n"},
      {"short last group of two and of three", "QUJDRE"},
      {"short last group of three", "QUJDREU"},
      {"NUL bytes skipped", std::string("QU\0JD", 5)},
      {"a double-byte character inside", "QUJD\x82\xA0REVG"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(base64_decode(r.in), reference(r.in));
  }
}

// Every byte value at every place of a run of sixteen characters (which
// the decoder takes eight at a time), amid whole lines before and after: a
// data character decodes in place, anything else as the reference reads it.
TEST(Base64DecodeReference, EveryByteAtEveryPlaceOfSixteen) {
  std::string line;
  for (std::size_t k = 0; k < 76; ++k) line += kBase64Alphabet[(k * 7) % 64];
  for (int place = 0; place < 16; ++place) {
    for (int byte = 0; byte < 256; ++byte) {
      std::string block;
      for (int k = 0; k < 40; ++k) block += kBase64Alphabet[(k * 5 + byte) % 64];
      block[static_cast<std::size_t>(place)] = static_cast<char>(byte);
      const std::string in = line + "\r\n" + block + "\r\n" + line;
      SCOPED_TRACE(::testing::Message() << "place " << place << ", byte " << byte);
      ASSERT_EQ(base64_decode(in), reference(in));
      ASSERT_EQ(base64_decode(block), reference(block));
    }
  }
}

TEST(Base64DecodeReference, SeededRandomText) {
  std::mt19937 rng(20261208);
  for (int round = 0; round < 4000; ++round) {
    std::string in;
    const int len = static_cast<int>(rng() % 120);
    for (int k = 0; k < len; ++k) {
      const unsigned pick = rng() % 64;
      if (pick < 52) {
        in += kBase64Alphabet[rng() % 64];
      } else {
        static const std::string_view kOthers[] = {"\r\n", "\n",   "\r",   " ",        "\t", "=",
                                                   "==",   "\x80", "\xFF", "\x82\xA0", "-",  "."};
        in += kOthers[rng() % std::size(kOthers)];
      }
    }
    SCOPED_TRACE(::testing::PrintToString(in));
    ASSERT_EQ(base64_decode(in), reference(in));
  }
}

}  // namespace
