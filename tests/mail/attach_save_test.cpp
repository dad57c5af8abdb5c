// Saving attachments: guarded archive names, free numbers, no overwriting.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "core/common_text.h"
#include "core/file_write.h"
#include "core/folder_list.h"
#include "core/vb_error.h"
#include "mail/attachments.h"
#include "support/temp_dir.h"

TEST(SaveAttach, GuardsArchiveNamesAndNumbersTakenOnes) {
  const struct {
    const char* in;
    const char* out;
  } seq[] = {
      {"menu.html", "t_menu.html"},
      {"menu.html", "t_menu1.html"},
      {"m0001234.htm", "t_m0001234.htm"},
      {"M0001234.HTM", "M0001234.HTM"},
      {"index.html", "t_index.html"},
      {"m0000000.txt", "t_m0000000.txt"},
      {"rank_hyo.htm", "t_rank_hyo.htm"},
      {"m0000001.htm.txt", "m0000001.htm.txt"},
      {"report.pdf", "report.pdf"},
      {"report.pdf", "report1.pdf"},
      {"report.pdf", "report2.pdf"},
      {"readme", "readme"},
      {"readme", "readme1"},
      {"../readme", "readme2"},
      // A number that would make a page name is skipped.
      {"m000000.htm", "m000000.htm"},
      {"m000000.htm", "m00000010.htm"},
  };
  TempDir dir;
  int k = 0;
  for (const auto& c : seq) {
    SCOPED_TRACE(std::string(c.in) + " #" + std::to_string(k));
    std::string name = c.in;
    const std::string data = "data " + std::to_string(k++);
    Save_Attach(dir.path(), name, data);
    EXPECT_EQ(name, c.out);
    EXPECT_EQ(dir.read(name), data);
  }
  EXPECT_EQ(list_files(dir.path()).size(), std::size(seq));
}

TEST(SaveAttach, NeverReplacesWhatIsThere) {
  TempDir dir;
  dir.write("keep.txt", "old");
  std::filesystem::create_directory(dir / "folder.bin");
  dir.write("outside/target.txt", "target");
  ::symlink((dir / "outside/target.txt").c_str(), (dir / "link.txt").c_str());
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"keep.txt", "keep1.txt"}, {"folder.bin", "folder1.bin"}, {"link.txt", "link1.txt"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    std::string name = c.in;
    Save_Attach(dir.path(), name, "new");
    EXPECT_EQ(name, c.out);
    EXPECT_EQ(dir.read(c.out), "new");
  }
  EXPECT_EQ(dir.read("keep.txt"), "old");
  EXPECT_EQ(dir.read("outside/target.txt"), "target");
}

TEST(SaveAttach, FileOnDiskHasTheUtf8Name) {
  TempDir dir;
  std::string name = sj("日本語の表.txt");
  Save_Attach(dir.path(), name, "x");
  EXPECT_EQ(name, sj("日本語の表.txt"));
  EXPECT_EQ(dir.read("日本語の表.txt"), "x");
  Save_Attach(dir.path(), name, "y");
  EXPECT_EQ(name, sj("日本語の表1.txt"));
  EXPECT_EQ(dir.read("日本語の表1.txt"), "y");
}

TEST(SaveAttach, NumbersGoPastSixteenBits) {
  TempDir dir;
  dir.write("n.txt", "");
  for (int k = 1; k <= 32768; ++k) write_file(dir / ("n" + std::to_string(k) + ".txt"), "");
  std::string name = "n.txt";
  Save_Attach(dir.path(), name, "late");
  EXPECT_EQ(name, "n32769.txt");
  EXPECT_EQ(dir.read("n32769.txt"), "late");
}

TEST(SaveAttach, EmptiedFolderStartsNumberingAfresh) {
  TempDir dir;
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    for (const char* want : {"r.txt", "r1.txt", "r2.txt"}) {
      std::string name = "r.txt";
      Save_Attach(dir.path(), name, want);
      EXPECT_EQ(name, want);
    }
    for (const std::string& f : list_files(dir.path())) remove_file(dir / f);
  }
  // Only the numbered copies gone: the first free number is found again.
  for (int k = 0; k < 3; ++k) {
    std::string name = "s.txt";
    Save_Attach(dir.path(), name, std::to_string(k));
  }
  remove_file(dir / "s1.txt");
  remove_file(dir / "s2.txt");
  std::string name = "s.txt";
  Save_Attach(dir.path(), name, "3");
  EXPECT_EQ(name, "s1.txt");
}

TEST(SaveAttach, MissingFolderIsAnError) {
  TempDir dir;
  std::string name = "a.txt";
  EXPECT_THROW(Save_Attach(dir / "missing", name, "x"), VbError);
}

// The same mail converted again finds its files where they stand: nothing is
// saved twice, and a file of the same name with other bytes is never taken.
TEST(SaveAttach, SameBytesUnderTheSameNameAreReused) {
  TempDir dir;
  struct Step {
    const char* data;
    const char* saved_as;
  } steps[] = {{"one", "p.png"}, {"two", "p1.png"}, {"one", "p.png"}, {"two", "p1.png"}, {"three", "p2.png"}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.data);
    std::string name = "p.png";
    Save_Attach(dir.path(), name, s.data);
    EXPECT_EQ(name, s.saved_as);
    EXPECT_EQ(dir.read(name), s.data);
  }
  EXPECT_EQ(list_files(dir.path()).size(), 3u);

  // A file changed behind the run's back is not taken for the old bytes.
  write_file(dir / "p1.png", "changed");
  std::string name = "p.png";
  Save_Attach(dir.path(), name, "two");
  EXPECT_EQ(name, "p3.png");
  EXPECT_EQ(dir.read("p1.png"), "changed");
}

// A character the archive's code page lacks names the file on disk as
// itself; the page keeps the reference, which the browser reads back.
TEST(SaveAttach, ReferenceNamesTheFileByItsCharacter) {
  TempDir dir;
  std::string name = "J&#248;rn.pdf";
  Save_Attach(dir.path(), name, "x");
  EXPECT_EQ(name, "J&#248;rn.pdf");
  EXPECT_EQ(dir.read("J\xC3\xB8rn.pdf"), "x");
}
