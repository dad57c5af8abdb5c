#include "core/file_info.h"

#include <gtest/gtest.h>

#include "core/file_read.h"
#include "support/temp_dir.h"

namespace {

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

}  // namespace
