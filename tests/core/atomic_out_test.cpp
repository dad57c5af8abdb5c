#include "core/atomic_out.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/file_read.h"
#include "core/vb_error.h"
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

}  // namespace
