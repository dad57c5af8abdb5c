// The UTF-8 encoder at the edges of each length, with bytes from the
// Unicode standard's table written out by hand.
#include "codec/utf8_out.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8Out, EachLengthAtItsEdges) {
  struct Row {
    const char* name;
    char32_t c;
    std::string bytes;
  } rows[] = {
      {"NUL", 0x0, std::string(1, '\0')},        {"last of one byte", 0x7F, "\x7F"},
      {"first of two", 0x80, "\xC2\x80"},        {"last of two", 0x7FF, "\xDF\xBF"},
      {"first of three", 0x800, "\xE0\xA0\x80"}, {"hiragana a", 0x3042, "\xE3\x81\x82"},
      {"last of three", 0xFFFF, "\xEF\xBF\xBF"}, {"first of four", 0x10000, "\xF0\x90\x80\x80"},
      {"emoji", 0x1F600, "\xF0\x9F\x98\x80"},    {"last code point", 0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    char buf[4];
    EXPECT_EQ(std::string(buf, put_utf8(buf, r.c)), r.bytes);
    std::string appended = "x";
    put_utf8(appended, r.c);
    EXPECT_EQ(appended, "x" + r.bytes);
  }
}

}  // namespace
