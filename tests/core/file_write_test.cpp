#include "core/file_write.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/vb_error.h"
#include "support/temp_dir.h"

namespace {

TEST(UpdateInPlace, KeepsTheFileAndWritesFromTheFirstDifference) {
  TempDir d;
  const std::string old_page = "head\r\nbody\r\ntail\r\n";
  d.write("p.htm", old_page);
  std::filesystem::create_hard_link(d / "p.htm", d / "twin.htm");  // sees whatever is written into the file
  update_in_place(d / "p.htm", old_page, "head\r\nbody\r\nlist\r\nmore\r\ntail\r\n");
  EXPECT_EQ(d.read("twin.htm"), "head\r\nbody\r\nlist\r\nmore\r\ntail\r\n") << "the same file, not a new one";
  EXPECT_EQ(std::filesystem::hard_link_count(d / "p.htm"), 2u);
  update_in_place(d / "p.htm", d.read("p.htm"), "head\r\nX");
  EXPECT_EQ(d.read("twin.htm"), "head\r\nX") << "a shorter text cuts the file";
  update_in_place(d / "p.htm", "head\r\nX", "head\r\nX");
  EXPECT_EQ(d.read("p.htm"), "head\r\nX");

  // Bytes before the first difference are not written again: what the
  // caller read is trusted to be the file.
  d.write("q.htm", "abcdef");
  update_in_place(d / "q.htm", "zzcdef", "zzcdXY");
  EXPECT_EQ(d.read("q.htm"), "abcdXY");

  std::filesystem::create_symlink(d / "q.htm", d / "link.htm");
  EXPECT_THROW(update_in_place(d / "link.htm", "abcdXY", "abcd"), VbError) << "never written through a link";
  EXPECT_EQ(d.read("q.htm"), "abcdXY");
  EXPECT_THROW(update_in_place(d / "missing.htm", "a", "b"), VbError);

  // Texts longer than a block of the comparison: the first difference is
  // found at any offset, a block's edge included.
  for (std::size_t at : {0u, 63u, 64u, 65u, 200u}) {
    const std::string was(256, 'a');
    std::string now = was;
    now[at] = 'N';
    d.write("r.htm", std::string(256, 'b'));
    update_in_place(d / "r.htm", was, now);
    std::string expected(256, 'b');
    expected.replace(at, std::string::npos, now.substr(at));
    EXPECT_EQ(d.read("r.htm"), expected) << "first difference at " << at;
  }
}

// One open of the file reads it and writes the change back over it.
TEST(FileWrite, ChangeInPlaceWritesWhatTheChangeMakesOfTheFile) {
  TempDir d;
  const std::string page(300, 'p');
  d.write("p.htm", page);
  std::filesystem::create_hard_link(d / "p.htm", d / "twin.htm");
  EXPECT_TRUE(
      change_in_place(d / "p.htm", [](const std::string& s) { return s.substr(0, 100) + "links" + s.substr(100); }));
  EXPECT_EQ(d.read("twin.htm"), std::string(100, 'p') + "links" + std::string(200, 'p')) << "the same file";
  EXPECT_TRUE(change_in_place(d / "p.htm", [](const std::string& s) { return s.substr(0, 10); }));
  EXPECT_EQ(d.read("p.htm"), std::string(10, 'p')) << "a shorter text cuts the file";
  EXPECT_FALSE(change_in_place(d / "p.htm", [](const std::string& s) { return s; }));
  EXPECT_EQ(d.read("p.htm"), std::string(10, 'p'));

  // A change that fails leaves the file as it was.
  EXPECT_THROW(change_in_place(d / "p.htm", [](const std::string&) -> std::string { throw VbError(1, "no"); }),
               VbError);
  EXPECT_EQ(d.read("p.htm"), std::string(10, 'p'));

  std::filesystem::create_symlink(d / "p.htm", d / "link.htm");
  EXPECT_THROW(change_in_place(d / "link.htm", [](const std::string&) { return std::string("x"); }), VbError)
      << "never written through a link";
  EXPECT_EQ(d.read("p.htm"), std::string(10, 'p'));
  EXPECT_THROW(change_in_place(d / "missing.htm", [](const std::string& s) { return s; }), VbError);
  EXPECT_FALSE(std::filesystem::exists(d / "missing.htm"));
}

TEST(FileWrite, PiecesMakeOneFileInTheirOrder) {
  TempDir d;
  d.write("t.txt", std::string(5000, 'o'));  // longer than what replaces it
  const std::vector<std::string> pieces = {"first ", std::string(70000, 'x'), " last"};
  std::size_t at = 0;
  write_file_pieces(d / "t.txt", [&] { return at < pieces.size() ? std::string_view(pieces[at++]) : ""; });
  EXPECT_EQ(d.read("t.txt"), "first " + std::string(70000, 'x') + " last");

  write_file_pieces(d / "empty.txt", [] { return std::string_view(); });
  EXPECT_TRUE(std::filesystem::exists(d / "empty.txt"));
  EXPECT_EQ(d.read("empty.txt"), "");

  // What fails while the pieces are made goes on to the caller.
  EXPECT_THROW(write_file_pieces(d / "t.txt", []() -> std::string_view { throw VbError(6, "no"); }), VbError);
  EXPECT_THROW(write_file_pieces(d / "no/such/t.txt", [] { return std::string_view("x"); }), VbError);
}

}  // namespace
