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
