#include "core/file_ops.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace {

std::size_t entries(const std::string& dir) {
  std::size_t n = 0;
  for (auto it = std::filesystem::directory_iterator(dir); it != std::filesystem::directory_iterator(); ++it) ++n;
  return n;
}

TEST(AtomicOut, ReplacesTheFileWholeOnlyOnCommit) {
  TempDir d;
  d.write("menu.html", "old\r\n");
  const std::string line(1000, 'x');
  {
    AtomicOut out(d / "menu.html");
    for (int i = 0; i < 3000; ++i) out.line(line);  // several flushes on the way
    EXPECT_EQ(d.read("menu.html"), "old\r\n") << "readers see the old file until the commit";
    EXPECT_EQ(live_temp_files(), 1);
    out.commit();
  }
  EXPECT_EQ(d.read("menu.html").size(), 3000u * 1002u);
  EXPECT_EQ(entries(d.path()), 1u);
  {
    AtomicOut out(d / "menu.html");
    out.line("half");
  }  // a run that stops before the commit
  EXPECT_EQ(d.read("menu.html").size(), 3000u * 1002u);
  EXPECT_EQ(entries(d.path()), 1u) << "no temporary file is left behind";
  EXPECT_THROW(AtomicOut(d / "missing/menu.html"), VbError);
  // A commit that cannot rename (a folder stands in the way) removes its file.
  std::filesystem::create_directories(d / "pages/m0000001.htm/inside");
  {
    AtomicOut out(d / "pages/m0000001.htm");
    out.line("page");
    EXPECT_THROW(out.commit(), VbError);
  }
  EXPECT_EQ(entries(d / "pages"), 1u);
  // The run's lock records a clean end by this count: it must come back to
  // nothing however the files ended.
  EXPECT_EQ(live_temp_files(), 0);
}

}  // namespace

namespace {

TEST(AtomicOut, MixesLinesLargePartsAndCopiedRangesInOrder) {
  TempDir d;
  std::string source;
  for (int i = 0; i < 300000; ++i) source += static_cast<char>('a' + i % 26);
  d.write("old.html", source);
  const std::string large(3u << 20, 'L');  // goes to the file past the buffer
  {
    ReadOnlyFile old(d / "old.html");
    AtomicOut out(d / "new.html");
    out.line("head");
    out.copy_from(old.fd(), 7, 250000);
    EXPECT_EQ(out.size(), 6 + 250000);
    out.part(large);
    out.copy_from(old.fd(), 0, 3);
    out.line("tail");
    EXPECT_EQ(out.size(), static_cast<long long>(6 + 250000 + large.size() + 3 + 6));
    out.commit();
  }
  EXPECT_EQ(d.read("new.html"), "head\r\n" + source.substr(7, 250000) + large + "abc" + "tail\r\n");

  ReadOnlyFile old(d / "old.html");
  AtomicOut out(d / "cut.html");
  EXPECT_THROW(out.copy_from(old.fd(), 299990, 20), VbError) << "a source shorter than the range";
}

TEST(FileStamp, ChangesWithTheFileAndMappedFileReadsIt) {
  TempDir d;
  d.write("f", "12345");
  const std::optional<FileStamp> a = file_stamp(d / "f");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->size, 5);
  EXPECT_EQ(file_stamp(d / "f"), a);
  d.write("f", "123456");
  EXPECT_NE(file_stamp(d / "f"), a);
  EXPECT_FALSE(file_stamp(d / "missing"));
  EXPECT_FALSE(file_stamp(d.path())) << "a folder has no stamp";
  for (bool now : {true, false}) EXPECT_EQ(MappedFile(d / "f", now).data(), "123456");
  EXPECT_EQ(MappedFile(d.write("empty", "")).data(), "");
}

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

TEST(ListFiles, OnlyOrdinaryFilesCountAndHasFilesAgrees) {
  TempDir d;
  EXPECT_FALSE(has_files(d.path()));
  std::filesystem::create_directory(d / "sub");
  d.write(".hidden", "x");
  EXPECT_FALSE(has_files(d.path())) << "folders and hidden files are not files of the archive";
  EXPECT_TRUE(list_files(d.path()).empty());
  d.write("sub/inner.htm", "x");
  std::filesystem::create_symlink(d / "sub/inner.htm", d / "link.htm");
  EXPECT_TRUE(has_files(d.path())) << "a link to a file counts as the file";
  EXPECT_EQ(list_files(d.path()), std::vector<std::string>{"link.htm"});
  EXPECT_THROW(has_files(d / "missing"), VbError);
}

}  // namespace
