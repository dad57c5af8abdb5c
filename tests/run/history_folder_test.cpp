// The history records every output folder as an absolute path, whatever the
// run was given, so that the pop-up offers folders that work from anywhere.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "archive/archive_records.h"
#include "core/workspace.h"
#include "run/check_dir.h"
#include "run/history.h"
#include "support/program_copy.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Works in another current folder for its lifetime.
class InFolder {
 public:
  explicit InFolder(const std::string& dir) : old_(fs::current_path()) { fs::current_path(dir); }
  ~InFolder() { fs::current_path(old_); }

 private:
  fs::path old_;
};

// The real path of a test folder (/tmp may itself be a link).
std::string real(const std::string& p) { return fs::canonical(p).string(); }

TEST(HistoryFolder, RelativeAndUntidyFoldersBecomeAbsolute) {
  TempDir t;
  const std::string base = real(t.path());
  fs::create_directories(base + "/a/b/c");
  fs::create_directories(base + "/out/archive");
  fs::create_directories(base + "/o7");
  // a link whose ".." leads somewhere else than its name suggests
  fs::create_directories(base + "/elsewhere/deep");
  fs::create_directories(base + "/elsewhere/b");
  fs::create_directory_symlink(base + "/elsewhere/deep", base + "/a/b/c/link");
  struct Row {
    const char* name;
    const char* cwd;  // below base
    std::string folder;
    std::string want;
  } rows[] = {
      {"relative", "", "out/archive", base + "/out/archive"},
      {"parent_steps", "/a/b/c", "../../../o7", base + "/o7"},
      {"dot_and_trailing_slash", "", "./out//archive/", base + "/out/archive"},
      {"absolute_untidy", "/a", base + "//out/./archive/", base + "/out/archive"},
      {"absolute_tidy_missing", "", "/nowhere/at/all", "/nowhere/at/all"},
      {"dotdot_after_link", "/a/b/c", "link/../b", base + "/elsewhere/b"},
      {"link_kept_when_it_leads_there", "/a/b/c", "link", base + "/a/b/c/link"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    InFolder in(base + r.cwd);
    EXPECT_EQ(absolute_folder(r.folder), r.want);
  }
}

TEST(HistoryFolder, CheckDirRecordsTheFolderAsTheRunResolvedIt) {
  TempDir t, app;
  const std::string base = real(t.path());
  fs::create_directories(base + "/work/out");
  SilentUi ui;
  Workspace ws(ui);
  ws.App_Dir = app.path();
  InFolder in(base + "/work");
  ArchiveRecords records;
  ASSERT_TRUE(Check_Dir(ws, "out", records));
  // The same folder typed another way stands once, at the top.
  ASSERT_TRUE(Check_Dir(ws, "./out/", records));
  EXPECT_EQ(app.read("vorn_htm.his"), base + "/work/out\r\n");
  EXPECT_EQ(read_his_file(app.path()), (std::vector<std::string>{base + "/work/out"}));
}

TEST(HistoryFolder, ACommandLineRunRecordsAnAbsoluteFolder) {
  TempDir t;
  const std::string base = real(t.path());
  ProgramCopy p(base + "/prog");
  t.write("mail/a.mbx", "From: a@example.com\r\nSubject: x\r\n\r\nbody\r\n");
  fs::create_directories(base + "/deep/er");
  InFolder in(base + "/deep/er");
  ProgramCopy::Result r = p.run({"-i", "../../mail/a.mbx", "-o", "../../site"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(base + "/site/index.html"));
  EXPECT_EQ(ProgramCopy::slurp(base + "/prog/vorn_htm.his"), base + "/site\r\n");
}

// What the pop-up is given: nothing without a history file, else its lines
// as folders, in file order.
TEST(HistoryFolder, PopUpFoldersComeFromTheHistoryFile) {
  using Folders = std::optional<std::vector<std::string>>;
  const struct Row {
    const char* name;
    std::optional<std::string> file;  // the history file's bytes; none: no file
    bool folder;                      // a folder stands under the file's name
    Folders want;
  } rows[] = {
      {"no_file", std::nullopt, false, std::nullopt},
      {"folder_of_that_name", std::nullopt, true, std::nullopt},
      {"empty_file", "", false, std::vector<std::string>{}},
      // 表 and ソ end in the byte of "\"; a lone LF ends a line too.
      {"shift_jis_lines", "/srv/ml\r\n/home/\x95\x5C\x8E\xA6\x83\x5C\r\n/web/old list\n", false,
       std::vector<std::string>{"/srv/ml", "/home/表示ソ", "/web/old list"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TempDir app;
    if (r.file) app.write("vorn_htm.his", *r.file);
    if (r.folder) fs::create_directory(app / "vorn_htm.his");
    EXPECT_EQ(history_folders(app.path()), r.want);
  }
}

// A per-user program folder that is not there yet is made by the first
// history written into it, for its owner only.
TEST(HistoryFolder, MissingProgramFolderIsMadeForItsOwner) {
  TempDir t;
  const std::string app = t / "home/.config/vorn_htm";
  Make_HisFile(app, "/srv/archive");
  EXPECT_EQ(t.read("home/.config/vorn_htm/vorn_htm.his"), "/srv/archive\r\n");
  for (const std::string& d : {t / "home", t / "home/.config", app}) {
    SCOPED_TRACE(d);
    struct stat st {};
    ASSERT_EQ(::stat(d.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
  }
}

}  // namespace
