// The program appending to an archive whose menu names m9999999.htm (one
// hand-edited entry is enough): it stops with an error that says the page
// numbers are used up, exits non-zero, and leaves every file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "support/program_copy.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string Message(const std::string& id) {
  return "Date: Mon, 05 Jan 2004 10:15:00 +0900\r\nFrom: A <a@example.jp>\r\nSubject: s " + id + "\r\nMessage-ID: <" +
         id + "@example.jp>\r\n\r\nbody " + id + "\r\n.\r\n";
}

// The published files of a folder and their bytes.
std::map<std::string, std::string> Published(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name[0] != '.') files[name] = ProgramCopy::slurp(e.path().string());
  }
  return files;
}

TEST(PageNumberLimit, AppendAfterTheLastPageNumberStopsAndOverwritesNothing) {
  TempDir t;
  ProgramCopy p(t / "prog");
  const std::string out = t / "archive";
  ProgramCopy::Result first = p.run({"-i", t.write("first.mbx", Message("a") + Message("b")), "-o", out, "-d", "y"});
  ASSERT_EQ(first.status, 0) << first.err;

  // The second entry is edited by hand to name the last page number.
  const std::string menu_path = out + "/menu.html";
  std::string menu = ProgramCopy::slurp(menu_path);
  const std::size_t at = menu.find("HREF=\"m0000002.htm\"");
  ASSERT_NE(at, std::string::npos);
  menu.replace(at + 6, 12, "m9999999.htm");
  std::ofstream(menu_path, std::ios::binary) << menu;
  fs::rename(out + "/m0000002.htm", out + "/m9999999.htm");
  const std::map<std::string, std::string> before = Published(out);
  ASSERT_TRUE(before.count("m0000000.txt"));
  ASSERT_TRUE(before.count("m0000001.htm"));

  ProgramCopy::Result r = p.run({"-i", t.write("more.mbx", Message("c")), "-o", out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("エラーが発生しました。(File_Syori:6) 処理を中断します。"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(out), std::string::npos) << "names the folder: " << r.err;
  EXPECT_NE(r.err.find("ページ番号が上限 (m9999999.htm) に達しました"), std::string::npos) << r.err;
  EXPECT_EQ(Published(out), before);
}

}  // namespace
