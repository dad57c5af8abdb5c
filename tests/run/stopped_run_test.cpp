// What a stopped run's record lets the next step remove: the run's own pages
// and files that the menu does not list or link, and nothing else.
#include "run/stopped_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/run_journal.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// A folder of an archive with pages 1 to 3 from earlier runs, into which a
// run that numbers its pages from 4 wrote pages 4 and 5 and files, recorded
// as it went.
struct StoppedFolder {
  TempDir dir;
  RunJournal journal;

  StoppedFolder() {
    dir.write("menu.html", "menu");
    dir.write("old.txt", "a file of an earlier run");
    dir.write("m0000001.htm", "<A HREF=\"old.txt\" target=\"_new\">[old.txt]</A>");
    dir.write("m0000003.htm", "a page the run meant to write again and did not");
    journal.start(dir.path(), 4);
    // Page 2 was taken over by a re-sent message and written again.
    create("new2.txt", "m0000002.htm");
    dir.write("m0000002.htm", "<A HREF=\"new2.txt\" target=\"_new\">[new2.txt]</A>");
    create("new3.txt", "m0000003.htm");
    create("new4.txt", "m0000004.htm");
    dir.write("m0000004.htm", "<A HREF=\"new4.txt\" target=\"_new\">[new4.txt]</A>");
    create("new5 and 100%.txt", "m0000005.htm");
    dir.write("m0000005.htm", "<A HREF=\"new5 and 100%25.txt\" target=\"_new\">[new5 and 100%.txt]</A>");
    create("lonely.txt", "");
    // Made by the run, then replaced by someone else's file of that name.
    create("swapped.txt", "m0000005.htm");
    dir.write("swapped.new", "someone else's");
    fs::rename(dir / "swapped.new", dir / "swapped.txt");
    // Records that name what no run saves as an attachment.
    record_existing("menu.html");
    record_existing(".hidden");
  }

  // The run creates file name (and says which page links it).
  void create(const std::string& name, const std::string& page) {
    const int fd = ::open((dir / name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0) << name;
    journal.created(name, fd);
    ASSERT_EQ(::write(fd, "x", 1), 1);
    ::close(fd);
    if (!page.empty()) journal.linked(page, name);
  }
  void record_existing(const std::string& name) {
    if (!fs::exists(dir / name)) dir.write(name, "x");
    const int fd = ::open((dir / name).c_str(), O_RDONLY);
    journal.created(name, fd);
    ::close(fd);
  }
};

TEST(TakeBackRun, RemovesWhatTheRunWroteAndTheMenuDoesNotLink) {
  const std::set<std::string> always = {"menu.html",    "old.txt",  ".hidden",     "m0000001.htm", "m0000002.htm",
                                        "m0000003.htm", "new2.txt", "swapped.txt", ".vorn_htm.run"};
  const struct {
    const char* name;
    std::int64_t last_listed;
    std::set<std::string> also_left;
  } rows[] = {
      {"stopped before its menu", 3, {}},
      {"stopped after its menu", 5, {"m0000004.htm", "m0000005.htm", "new4.txt", "new5 and 100%.txt"}},
      {"no menu at all", 0, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    StoppedFolder f;
    const std::optional<RunRecord> record = read_run_record(f.dir.path());
    ASSERT_TRUE(record);
    EXPECT_TRUE(take_back_run(f.dir.path(), *record, row.last_listed));
    std::set<std::string> want = always;
    want.insert(row.also_left.begin(), row.also_left.end());
    if (row.last_listed == 0) {
      // Without a menu the earlier runs' pages are still not the run's.
      EXPECT_TRUE(fs::exists(f.dir / "m0000001.htm"));
    }
    EXPECT_EQ(Names(f.dir.path()), want);
    EXPECT_EQ(f.dir.read("swapped.txt"), "someone else's");
  }
}

}  // namespace
