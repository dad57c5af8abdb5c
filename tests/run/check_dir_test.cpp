#include "run/check_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_records.h"
#include "core/workspace.h"
#include "run/history.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Fixture {
  TempDir app, out;
  SilentUi ui;
  Workspace ws{ui};
  ArchiveRecords records;
  Fixture() { ws.App_Dir = app.path(); }
};

TEST(CheckDir, EmptyFolderOrOnlySubfoldersAndHiddenFilesAsksNothing) {
  Fixture f;
  f.out.write("sub/keep.txt", "x");
  f.out.write(".hidden", "x");
  EXPECT_TRUE(Check_Dir(f.ws, f.out.path(), f.records));
  EXPECT_TRUE(f.ui.messages.empty());
  EXPECT_EQ(read_his_file(f.app.path()), (std::vector<std::string>{f.out.path()}));
}

TEST(CheckDir, RebuildDeletesOrdinaryFilesKeepsSubfolders) {
  Fixture f;
  f.out.write("menu.html", "x");
  f.out.write("m0000001.htm", "x");
  f.out.write("sub/keep.txt", "x");
  f.ws.Auto_Answer = "n";
  EXPECT_TRUE(Check_Dir(f.ws, f.out.path(), f.records));
  EXPECT_FALSE(fs::exists(f.out / "menu.html"));
  EXPECT_FALSE(fs::exists(f.out / "m0000001.htm"));
  EXPECT_TRUE(fs::exists(f.out / "sub/keep.txt"));
}

// A rebuild deletes every ordinary file of the folder, so it is done only
// where an archive stands: a folder of someone's other files stays whole.
TEST(CheckDir, RebuildOnlyWhereAnArchiveStands) {
  struct Row {
    const char* name;
    const char* file;
    bool ok;
  } rows[] = {{"menu", "menu.html", true}, {"index", "index.html", true}, {"other_files", "thesis.doc", false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Fixture f;
    f.out.write(r.file, "x");
    f.out.write("notes.txt", "mine");
    f.ws.Auto_Answer = "n";
    EXPECT_EQ(Check_Dir(f.ws, f.out.path(), f.records), r.ok);
    EXPECT_EQ(fs::exists(f.out / "notes.txt"), !r.ok);
    EXPECT_EQ(fs::exists(f.out / r.file), !r.ok);
    if (!r.ok) {
      ASSERT_EQ(f.ui.messages.size(), 1u);
      EXPECT_EQ(f.ui.messages[0], "エラー: " + f.out.path() +
                                      " にはアーカイブ (menu.html, index.html) がないため、ファイルを削除しません。\r\n"
                                      "処理を中断します。");
      EXPECT_FALSE(fs::exists(f.app / "vorn_htm.his"));
    }
  }
}

TEST(CheckDir, AppendWithoutMenuAddsNothing) {
  Fixture f;
  f.out.write("other.txt", "x");
  f.ws.Auto_Answer = "y";
  EXPECT_TRUE(Check_Dir(f.ws, f.out.path(), f.records));
  EXPECT_EQ(f.ws.work_list.count(), 0u);
  EXPECT_EQ(f.ws.Mail_No, 0);
  EXPECT_TRUE(fs::exists(f.out / "other.txt"));
}

TEST(CheckDir, WindowQuestionAnswers) {
  struct Row {
    const char* name;
    RunUi::Answer answer;
    bool ok;
    bool file_kept;
  } rows[] = {{"yes_appends", RunUi::Answer::Yes, true, true},
              {"no_rebuilds", RunUi::Answer::No, true, false},
              {"cancel_stops", RunUi::Answer::Cancel, false, true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Fixture f;
    f.out.write("index.html", "x");
    f.ui.answer = r.answer;
    EXPECT_EQ(Check_Dir(f.ws, f.out.path(), f.records), r.ok);
    EXPECT_EQ(fs::exists(f.out / "index.html"), r.file_kept);
    ASSERT_FALSE(f.ui.messages.empty());
    EXPECT_EQ(f.ui.messages[0].rfind("確認: " + f.out.path() + "配下に既にファイルが存在します。\r", 0), 0u);
    EXPECT_EQ(fs::exists(f.app / "vorn_htm.his"), r.ok);
    if (!r.ok) {
      EXPECT_EQ(f.ui.messages.back(), "情報: 処理を中断します。");
    }
  }
}

TEST(CheckDir, FileInTheWay) {
  {
    SCOPED_TRACE("command line never replaces it");
    Fixture f;
    std::string p = f.out.write("target", "data");
    f.ws.Auto_Answer = "y";
    EXPECT_FALSE(Check_Dir(f.ws, p, f.records));
    EXPECT_EQ(f.ui.messages,
              (std::vector<std::string>{"情報: 処理を中断します。\r\n" + p + ": フォルダではなくファイルです"}));
    EXPECT_TRUE(fs::is_regular_file(p));
  }
  {
    SCOPED_TRACE("window OK replaces it by a folder");
    Fixture f;
    std::string p = f.out.write("target", "data");
    f.ui.answer = RunUi::Answer::Ok;
    EXPECT_TRUE(Check_Dir(f.ws, p, f.records));
    EXPECT_TRUE(fs::is_directory(p));
  }
}

TEST(CheckDir, MissingPathNamesTheOperation) {
  Fixture f;
  std::string p = f.out / "missing";
  EXPECT_FALSE(Check_Dir(f.ws, p, f.records));
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0], "エラー: エラーが発生しました。(Check_Dir:53) 処理を中断します。\r\nGetAttr(" + p +
                                  ") チェック中\r\n" + p +
                                  ": ファイルまたはフォルダがありません (No such file or directory)");
  EXPECT_FALSE(fs::exists(f.app / "vorn_htm.his"));
}

TEST(History, MostRecentFirstAtMostTen) {
  TempDir app;
  for (const char* d : {"/c", "/b", "/a"}) Make_HisFile(app.path(), d);
  EXPECT_EQ(read_his_file(app.path()), (std::vector<std::string>{"/a", "/b", "/c"}));
  Make_HisFile(app.path(), "/b");
  EXPECT_EQ(read_his_file(app.path()), (std::vector<std::string>{"/b", "/a", "/c"}));
  for (int i = 0; i < 12; ++i) Make_HisFile(app.path(), "/f" + std::to_string(i));
  std::vector<std::string> h = read_his_file(app.path());
  ASSERT_EQ(h.size(), 10u);
  EXPECT_EQ(h.front(), "/f11");
  EXPECT_EQ(h.back(), "/f2");
}

TEST(History, JapaneseFolderStoredInShiftJisAndReadBack) {
  TempDir app;
  const std::string folder = "/home/ユーザー/アーカイブ表";
  Make_HisFile(app.path(), folder);
  EXPECT_EQ(app.read("vorn_htm.his"),
            "/home/\x83\x86\x81\x5B\x83\x55\x81\x5B/\x83\x41\x81\x5B\x83\x4A\x83\x43\x83\x75\x95\x5C\r\n");
  EXPECT_EQ(read_his_file(app.path()), (std::vector<std::string>{folder}));
  // Repeated lines other than the folder stay; the folder stands once.
  app.write("vorn_htm.his", "/x\r\n/y\r\n/x\r\n");
  Make_HisFile(app.path(), "/y");
  EXPECT_EQ(read_his_file(app.path()), (std::vector<std::string>{"/y", "/x", "/x"}));
}

TEST(History, UnwritableProgramFolderIsSilent) {
  // A program folder that cannot be made (a file stands in its way).
  TempDir t;
  const std::string in_the_way = t.write("file", "x");
  Make_HisFile(in_the_way + "/folder", "/a");  // must neither throw nor crash
  EXPECT_EQ(t.read("file"), "x");
}

}  // namespace
