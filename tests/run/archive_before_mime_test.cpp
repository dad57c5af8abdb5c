// An archive written by the line-rule reader that came before the MIME
// reader (tests/run/data/archive_before_mime: the samples ml-2004.mbx and
// attachments.mbx, with the run defaults) keeps appending: its entries read
// back as they were written, its pages and files stay, and converting its
// own mailboxes again saves no file twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/file_info.h"
#include "core/file_read.h"
#include "core/folder_list.h"
#include "core/workspace.h"
#include "run/conversion.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kSource = VORN_SOURCE_DIR;

// The hidden comment of every menu entry, as written.
std::multiset<std::string> Comments(const std::string& menu) {
  std::multiset<std::string> found;
  static const std::regex comment("<!-- Message-ID:[^\\n]*?-->");
  for (auto it = std::sregex_iterator(menu.begin(), menu.end(), comment); it != std::sregex_iterator(); ++it)
    found.insert(it->str());
  return found;
}

std::map<std::string, std::string> Files(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& name : list_files(dir)) files[name] = read_file(join_path(dir, name));
  return files;
}

struct ArchiveCopy {
  TempDir app, out;
  SilentUi ui;
  Workspace ws{ui};
  std::map<std::string, std::string> before;
  ArchiveCopy() {
    fs::copy(kSource + "/tests/run/data/archive_before_mime", out.path(), fs::copy_options::recursive);
    before = Files(out.path());
    ws.App_Dir = app.path();
    Load_Ini(ws.set, ws.App_Dir);
    ws.Auto_Answer = "y";
  }
  bool run(const std::string& input) { return run_conversion(ws, out.path(), {input}, "test"); }
};

}  // namespace

TEST(ArchiveBeforeMime, NewMailAppendsAndTheOldEntriesReadBackUnchanged) {
  ArchiveCopy a;
  ASSERT_TRUE(a.run(kSource + "/tests/mail/data/mime/mixed.mbox")) << (a.ui.messages.empty() ? "" : a.ui.messages[0]);
  const std::string menu = read_file(a.out / "menu.html");
  const std::multiset<std::string> old_comments = Comments(a.before.at("menu.html"));
  const std::multiset<std::string> new_comments = Comments(menu);
  ASSERT_EQ(old_comments.size(), 12u);
  // mixed.mbox.expect names the messages of the mailbox, one a line.
  const std::string names = read_file(kSource + "/tests/mail/data/mime/mixed.mbox.expect");
  EXPECT_EQ(new_comments.size(), 12u + static_cast<std::size_t>(std::count(names.begin(), names.end(), '\n')));
  for (const std::string& c : old_comments) EXPECT_EQ(new_comments.count(c), old_comments.count(c)) << c;
  // Pages and files of the old archive are left as they were: the new mail
  // joins none of their threads and the style is the same.
  for (const auto& [name, bytes] : a.before) {
    if (name == "menu.html" || name == "index.html" || name == "rank_hyo.htm" || name[0] == '.') continue;
    EXPECT_EQ(read_file(a.out / name), bytes) << name;
  }
  // The next append reads the menu this run wrote, entry for entry.
  ASSERT_TRUE(a.run(kSource + "/tests/mail/data/mime/mixed.mbox"));
  EXPECT_EQ(Comments(read_file(a.out / "menu.html")), new_comments);
}

TEST(ArchiveBeforeMime, ItsOwnMailboxesAgainReplaceTheirEntriesAndSaveNoFileTwice) {
  ArchiveCopy a;
  ASSERT_TRUE(a.run(kSource + "/samples/ml-2004.mbx"));
  ASSERT_TRUE(a.run(kSource + "/samples/attachments.mbx"));
  const std::map<std::string, std::string> after = Files(a.out.path());
  // Every message with a Message-ID took over its page; the one without an
  // id cannot be told from a new message and gets a page of its own.
  std::vector<std::string> added;
  for (const auto& [name, bytes] : after)
    if (!a.before.count(name)) added.push_back(name);
  EXPECT_EQ(added, std::vector<std::string>{"m0000013.htm"});
  for (const char* file : {"schedule.txt", "t_index.html", "第三回オフ会_会場案内図.png"})
    EXPECT_EQ(after.at(file), a.before.at(file)) << file;
  // The entries read back with the same values as the old reader gave them.
  const std::multiset<std::string> old_comments = Comments(a.before.at("menu.html"));
  const std::multiset<std::string> new_comments = Comments(after.at("menu.html"));
  EXPECT_EQ(new_comments.size(), 13u);
  for (const std::string& c : old_comments)
    EXPECT_EQ(new_comments.count(c), c.find("Message-ID: /") == std::string::npos ? 1u : 2u) << c;
}
