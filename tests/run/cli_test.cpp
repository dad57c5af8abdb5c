// The program run as a user runs it: exit status and what it says.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

namespace {

struct Result {
  int status;
  std::string out, err;
};

Result run(const TempDir& scratch, const std::string& args) {
  std::string cmd = std::string("'") + VORN_BINARY + "' " + args + " >'" + (scratch / "stdout") + "' 2>'" +
                    (scratch / "stderr") + "' </dev/null";
  int rc = std::system(cmd.c_str());
  return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, scratch.read("stdout"), scratch.read("stderr")};
}

TEST(Cli, VersionAndHelp) {
  TempDir t;
  Result v = run(t, "--version");
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "vorn_htm Version 2.24.0000\n");
  Result h = run(t, "--help");
  EXPECT_EQ(h.status, 0);
  EXPECT_NE(h.out.find("Usage:"), std::string::npos);
  EXPECT_NE(h.out.find("使い方"), std::string::npos);
}

TEST(Cli, StopsAreReportedWithTheirStatus) {
  TempDir t;
  std::string in = t.write("in/a.mbx", "From: a\r\n\r\nbody\r\n");
  std::string file_in_way = t.write("occupied", "x");
  struct Row {
    const char* name;
    std::string args;
    int status;
    std::string err;
  } rows[] = {
      {"invalid_options", "-i " + in, 2,
       "エラー: オプションが不正です。\n  （-i 入力ファイル指定 -o 出力先フォルダ [-d "
       "ファイル削除Y/N]）\n処理を終了します。\n"},
      {"bad_d_value", "-i " + in + " -o " + (t / "o") + " -d x", 2,
       "エラー: オプションが不正です。\n  （-i 入力ファイル指定 -o 出力先フォルダ [-d "
       "ファイル削除Y/N]）\n処理を終了します。\n"},
      {"no_file_matches", "-i '" + (t / "in/*.eml") + "' -o " + (t / "o"), 1, "警告: ファイルが選択されていません。\n"},
      {"pattern_in_missing_folder", "-i '" + (t / "nowhere/*.mbx") + "' -o " + (t / "o"), 1,
       "警告: ファイルが選択されていません。\n"},
      {"parent_folder_missing", "-i " + in + " -o " + (t / "no/such/out"), 1,
       "エラー: エラーが発生しました。(jidou_Jikkou:76) 処理を中断します。\n" + (t / "no/such/out") +
           ": ファイルまたはフォルダがありません (No such file or directory)\n"},
      {"file_in_the_way", "-i " + in + " -o " + file_in_way, 1, "情報: 処理を中断します。\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Result res = run(t, r.args);
    EXPECT_EQ(res.status, r.status);
    EXPECT_EQ(res.err, r.err);
    EXPECT_EQ(res.out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(t / "o"));
}

TEST(Cli, MissingLastFolderLevelIsCreated) {
  TempDir t;
  std::string in = t.write("in/a.mbx", "From: a\r\nSubject: s\r\n\r\nbody\r\n");
  Result r = run(t, "-i " + in + " -o " + (t / "out") + "/");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(std::filesystem::exists(t / "out/index.html"));
  EXPECT_TRUE(std::filesystem::exists(t / "out/menu.html"));
  EXPECT_TRUE(std::filesystem::exists(t / "out/m0000001.htm"));
}

}  // namespace
