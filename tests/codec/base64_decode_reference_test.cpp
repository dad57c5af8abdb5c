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
