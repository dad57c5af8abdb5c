#include "core/line_store.h"

#include <gtest/gtest.h>

#include "core/file_read.h"
#include "core/vb_error.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::string> all_lines(const std::string& path, LineStore::Convert convert = nullptr) {
  LineStore s;
  s.open(path, std::move(convert));
  std::vector<std::string> out;
  for (std::size_t i = 0; s.has(i); ++i) {
    out.push_back(s[i]);
    s.release_before(i);
  }
  return out;
}

// The same file read with next(), each view copied before the next call.
std::vector<std::string> viewed_lines(const std::string& path, LineStore::Convert convert = nullptr) {
  LineStore s;
  s.open(path, std::move(convert));
  std::vector<std::string> out;
  std::string_view line;
  while (s.next(line)) out.emplace_back(line);
  EXPECT_FALSE(s.next(line)) << "the end stays the end";
  return out;
}

TEST(LineStore, LineEnds) {
  TempDir d;
  struct Row {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  } rows[] = {
      {"crlf", "a\r\nb\r\n", {"a", "b"}},
      {"lone_cr_and_lf", "a\rb\nc", {"a", "b", "c"}},
      {"blank_lines_kept", "a\r\n\r\n\r\nb", {"a", "", "", "b"}},
      {"lf_cr_is_two_ends", "a\n\rb", {"a", "", "b"}},
      {"empty_file", "", {}},
      {"only_terminator", "\r\n", {""}},
      {"nul_bytes", std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(all_lines(d.write(r.name, r.bytes)), r.lines);
    EXPECT_EQ(viewed_lines(d / r.name), r.lines);
    EXPECT_EQ(read_lines(d / r.name), r.lines) << "the whole-file reader splits alike";
  }
}

// Line ends are looked for eight bytes at a time: put them at every offset,
// among bytes that differ from CR and LF by the high bit only.
TEST(LineStore, LineEndsAtEveryOffsetOfAWord) {
  TempDir d;
  for (std::size_t k = 0; k < 20; ++k) {
    SCOPED_TRACE(k);
    const std::string first = std::string(k, 'a') + "\x8D\x8A";
    const std::string second(9 + k % 3, '\x8D');
    std::string path = d.write("f", first + "\r" + second + "\n\r\n" + "c");
    EXPECT_EQ(all_lines(path), (std::vector<std::string>{first, second, "", "c"}));
    EXPECT_EQ(viewed_lines(path), (std::vector<std::string>{first, second, "", "c"}));
  }
}

// Only lines holding an ESC are converted. The ESC is noticed while the line
// end is looked for, eight bytes at a time: put it at every offset, just
// before and just after a line end, and across a read block.
TEST(LineStore, OnlyLinesWithAnEscAreConverted) {
  TempDir d;
  const auto mark = [](std::string& l) { l.insert(0, "*"); };
  for (std::size_t k = 0; k < 20; ++k) {
    SCOPED_TRACE(k);
    const std::string esc_line = std::string(k, 'a') + "\x1B" + std::string(k % 5, 'b');
    const std::string plain(k + 1, '\x9B');  // ESC with the high bit set
    const std::string path = d.write("f", esc_line + "\r\n" + plain + "\n\x1B\r" + plain);
    EXPECT_EQ(all_lines(path, mark), (std::vector<std::string>{"*" + esc_line, plain, "*\x1B", plain}));
    EXPECT_EQ(viewed_lines(path, mark), (std::vector<std::string>{"*" + esc_line, plain, "*\x1B", plain}));
    EXPECT_EQ(viewed_lines(path), (std::vector<std::string>{esc_line, plain, "\x1B", plain})) << "no conversion";
  }
  for (std::size_t cut : {(1u << 20) - 1, 1u << 20, (1u << 20) + 1}) {
    SCOPED_TRACE(cut);
    const std::string first(cut, 'x');  // ESC at cut, in the next read block or the last byte of this one
    const std::string path = d.write("g", first + "\x1By\r\nplain");
    for (const auto& lines : {all_lines(path, mark), viewed_lines(path, mark)}) {
      ASSERT_EQ(lines.size(), 2u);
      EXPECT_EQ(lines[0], "*" + first + "\x1By");
      EXPECT_EQ(lines[1], "plain");
    }
  }
}

TEST(LineStore, CrLfSplitAcrossReadBlocksAndLongLines) {
  TempDir d;
  for (std::size_t cut : {(1u << 20) - 1, 1u << 20, (1u << 20) + 1}) {
    SCOPED_TRACE(cut);
    std::string first(cut - 1, 'x');
    std::string long_line(3 << 20, 'y');
    std::string path = d.write("f", first + "\r\n" + long_line + "\r\nend");
    for (const auto& lines : {all_lines(path), viewed_lines(path)}) {
      ASSERT_EQ(lines.size(), 3u);
      EXPECT_EQ(lines[0], first);
      EXPECT_EQ(lines[1], long_line);
      EXPECT_EQ(lines[2], "end");
    }
  }
}

// A line read with next() views the read block until the next call; the
// bytes read count each line's terminator once the line is handed out, also
// where a block ends between CR and LF or right after a CR.
TEST(LineStore, NextViewsEachLineAndCountsItsBytes) {
  TempDir d;
  for (std::size_t cut : {(1u << 20) - 2, (1u << 20) - 1, 1u << 20, (1u << 20) + 1}) {
    SCOPED_TRACE(cut);
    const std::string first(cut - 1, 'x');
    const std::string text = first + "\r\n" + "mid\r" + "\r\n" + "last";
    LineStore s;
    s.open(d.write("f", text), nullptr);
    std::string_view line;
    ASSERT_TRUE(s.next(line));
    EXPECT_EQ(line, first);
    EXPECT_EQ(s.bytes_read(), static_cast<std::int64_t>(cut + 1));
    ASSERT_TRUE(s.next(line));
    EXPECT_EQ(line, "mid");
    EXPECT_EQ(s.bytes_read(), static_cast<std::int64_t>(cut + 5));
    ASSERT_TRUE(s.next(line));
    EXPECT_EQ(line, "");
    EXPECT_EQ(s.bytes_read(), static_cast<std::int64_t>(cut + 7));
    ASSERT_TRUE(s.next(line));
    EXPECT_EQ(line, "last");
    EXPECT_EQ(s.bytes_read(), static_cast<std::int64_t>(text.size()));
    EXPECT_FALSE(s.next(line));
  }
}

TEST(LineStore, LooksAheadConvertsAndForgets) {
  TempDir d;
  LineStore s;
  s.open(d.write("f", "a\x1B\r\nb\r\nc\x1B\r\n"), [](std::string& l) { l += "!"; });
  EXPECT_TRUE(s.has(2));
  EXPECT_FALSE(s.has(3));
  EXPECT_EQ(s[0], "a\x1B!");
  EXPECT_EQ(s[1], "b") << "a line without ESC is kept as read";
  s.release_before(2);
  EXPECT_FALSE(s.has(1));
  EXPECT_THROW(s[1], std::out_of_range);
  EXPECT_EQ(s[2], "c\x1B!");
  EXPECT_THROW(s.open(d / "missing", nullptr), VbError);
}

TEST(LineStore, ReferencesSurviveReadAheadAndReusedSlotsHoldTheirOwnLine) {
  TempDir d;
  std::string text;
  for (int k = 0; k < 1000; ++k) text += "line " + std::to_string(k) + std::string(k % 40, '.') + "\r\n";
  LineStore s;
  s.open(d.write("f", text), nullptr);
  const std::string& first = s[0];
  ASSERT_TRUE(s.has(500));  // the ring grows several times under the reference
  EXPECT_EQ(first, "line 0");
  // Walk on with a short window: every slot is reused many times.
  for (std::size_t k = 0; s.has(k + 2); ++k) {
    s.release_before(k);
    ASSERT_EQ(s[k + 2], "line " + std::to_string(k + 2) + std::string((k + 2) % 40, '.'));
  }
  EXPECT_FALSE(s.has(1000));
}

TEST(LineStore, FromLinesInMemory) {
  LineStore s = std::vector<std::string>{"x", "y"};
  EXPECT_TRUE(s.has(1));
  EXPECT_FALSE(s.has(2));
  EXPECT_EQ(s[1], "y");
}

}  // namespace
