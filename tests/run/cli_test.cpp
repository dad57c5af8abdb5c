// The program run as a user runs it: exit status and what it says.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/program_copy.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Words = std::vector<std::string>;

const std::string kOptionError =
    "エラー: オプションが不正です。\n  （-i 入力ファイル指定 -o 出力先フォルダ [-d "
    "ファイル削除Y/N]）\n  （--remove Message-ID... -o 出力先フォルダ）\n処理を終了します。\n詳しくは vorn_htm --help "
    "をご覧ください。\n";

TEST(Cli, VersionAndHelp) {
  TempDir t;
  ProgramCopy p(t / "prog");
  ProgramCopy::Result v = p.run({"--version"});
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "vorn_htm Version 2.24.0000\n");
  ProgramCopy::Result h = p.run({"--help"});
  EXPECT_EQ(h.status, 0);
  EXPECT_NE(h.out.find("Usage:"), std::string::npos);
  EXPECT_NE(h.out.find("使い方"), std::string::npos);
}

// The command line loads no window library (a nightly run from cron starts
// in a few milliseconds); given no words it starts the windows, a program
// beside it, and a copy without that program says how it is used.
TEST(Cli, TheCommandLineIsAProgramWithoutTheWindows) {
  std::FILE* ldd = ::popen(("ldd '" + std::string(VORN_BINARY) + "'").c_str(), "r");
  ASSERT_NE(ldd, nullptr);
  std::string libraries;
  char buf[512];
  while (std::fgets(buf, sizeof buf, ldd)) libraries += buf;
  ASSERT_EQ(::pclose(ldd), 0) << libraries;
  EXPECT_NE(libraries.find("libgmime"), std::string::npos) << libraries;
  EXPECT_EQ(libraries.find("libQt"), std::string::npos) << libraries;

  TempDir t;
  ProgramCopy p(t / "prog");
  for (const Words& words : {Words{}, Words{"/col"}}) {
    ProgramCopy::Result r = p.run(words);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(words.empty() ? "Usage:" : "オプションが不正です"), std::string::npos) << r.err;
  }
}

TEST(Cli, StopsAreReportedWithTheirStatus) {
  TempDir t;
  ProgramCopy p(t / "prog");
  std::string in = t.write("in/a.mbx", "From: a\r\n\r\nbody\r\n");
  std::string file_in_way = t.write("occupied", "x");
  struct Row {
    const char* name;
    Words args;
    int status;
    std::string err;
  } rows[] = {
      {"invalid_options", {"-i", in}, 2, kOptionError},
      {"bad_d_value", {"-i", in, "-o", t / "o", "-d", "x"}, 2, kOptionError},
      {"no_file_matches",
       {"-i", t / "in/*.eml", "-o", t / "o"},
       1,
       "警告: ファイルが選択されていません。\n" + (t / "in/*.eml") + "\n"},
      {"pattern_in_missing_folder",
       {"-i", t / "nowhere/*.mbx", "-o", t / "o"},
       1,
       "警告: ファイルが選択されていません。\n" + (t / "nowhere/*.mbx") + "\n"},
      {"parent_folder_missing",
       {"-i", in, "-o", t / "no/such/out"},
       1,
       "エラー: エラーが発生しました。(jidou_Jikkou:76) 処理を中断します。\n" + (t / "no/such/out") +
           ": ファイルまたはフォルダがありません (No such file or directory)\n"},
      {"file_in_the_way",
       {"-i", in, "-o", file_in_way},
       1,
       "情報: 処理を中断します。\n" + file_in_way + ": フォルダではなくファイルです\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ProgramCopy::Result res = p.run(r.args);
    EXPECT_EQ(res.status, r.status);
    EXPECT_EQ(res.err, r.err);
    EXPECT_EQ(res.out, "");
  }
  EXPECT_FALSE(fs::exists(t / "o"));
}

TEST(Cli, MissingLastFolderLevelIsCreated) {
  TempDir t;
  ProgramCopy p(t / "prog");
  std::string in = t.write("in/a.mbx", "From: a\r\nSubject: s\r\n\r\nbody\r\n");
  ProgramCopy::Result r = p.run({"-i", in, "-o", (t / "out") + "/"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(fs::exists(t / "out/index.html"));
  EXPECT_TRUE(fs::exists(t / "out/menu.html"));
  EXPECT_TRUE(fs::exists(t / "out/m0000001.htm"));
}

// A path with a blank is one value: the folder cut at the blank ("v4", which
// holds the user's own file) is never touched, and -d after it still counts.
TEST(Cli, PathsWithBlanksAreWholeValues) {
  TempDir t;
  ProgramCopy p(t / "prog");
  std::string in = t.write("my mail/a.eml", "From: a\r\nSubject: s\r\n\r\nbody\r\n");
  t.write("v4/thesis.doc", "my thesis");
  t.write("v4 x/old.txt", "old");
  t.write("v4 x/menu.html", "");
  ProgramCopy::Result r = p.run({"-i", in, "-d", "y", "-o", t / "v4 x"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(t.read("v4/thesis.doc"), "my thesis");
  EXPECT_EQ(fs::directory_iterator(t / "v4") == fs::directory_iterator(), false);
  EXPECT_FALSE(fs::exists(t / "v4/menu.html"));
  EXPECT_TRUE(fs::exists(t / "v4 x/m0000001.htm"));
  EXPECT_FALSE(fs::exists(t / "v4 x/old.txt"));  // -d y was taken, after the blank path

  // The folder and the input both with blanks, the value in the option's word.
  r = p.run({"-o" + (t / "My Mail/list"), "-i" + in});
  EXPECT_EQ(r.status, 1);  // "My Mail" does not exist: only the last level is made
  fs::create_directories(t / "My Mail");
  r = p.run({"-o" + (t / "My Mail/list"), "-i" + in});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(t / "My Mail/list/menu.html"));
}

}  // namespace
