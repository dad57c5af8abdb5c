#include "core/folder_list.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/vb_error.h"
#include "support/temp_dir.h"

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
