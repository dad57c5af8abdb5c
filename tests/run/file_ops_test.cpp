#include "run/file_ops.h"

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
}

}  // namespace

namespace {

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
