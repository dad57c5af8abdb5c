#include "core/file_write.h"

#include <gtest/gtest.h>

#include <filesystem>

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
}

}  // namespace
