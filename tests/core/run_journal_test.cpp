// The record a run keeps of what it writes, as the next run reads it back.
#include "core/run_journal.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

TEST(RunJournal, ReadsBackWhatWasRecorded) {
  TempDir dir;
  RunJournal journal;
  journal.start(dir.path(), 731);
  const std::string names[] = {"plain.txt", "two words.pdf", "100%.txt", "tab\there", "\xe6\x97\xa5\xe6\x9c\xac.doc"};
  struct stat st[5] = {};
  for (int k = 0; k < 5; ++k) {
    const int fd = ::open((dir / names[k]).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    journal.created(names[k], fd);
    ASSERT_EQ(::fstat(fd, &st[k]), 0);
    ::close(fd);
    journal.linked("m0000731.htm", "\x93\xfa\x96\x7b " + names[k]);
  }
  journal.rewrites("m0000012.htm");
  journal.rewrites("m0000700.htm");
  const std::optional<RunRecord> r = read_run_record(dir.path());
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first_page, 731);
  ASSERT_EQ(r->files.size(), 5u);
  ASSERT_EQ(r->links.size(), 5u);
  EXPECT_EQ(r->rewritten, (std::vector<std::string>{"m0000012.htm", "m0000700.htm"}));
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(names[k]);
    EXPECT_EQ(r->files[k].name, names[k]);
    EXPECT_EQ(r->files[k].device, static_cast<std::uint64_t>(st[k].st_dev));
    EXPECT_EQ(r->files[k].inode, static_cast<std::uint64_t>(st[k].st_ino));
    EXPECT_EQ(r->links[k].first, "m0000731.htm");
    EXPECT_EQ(r->links[k].second, "\x93\xfa\x96\x7b " + names[k]);
  }
  journal.remove();
  EXPECT_FALSE(read_run_record(dir.path()));
  EXPECT_FALSE(std::filesystem::exists(dir / ".vorn_htm.run"));
}

TEST(RunJournal, TakesOnlyWholeRecordsOfItsOwnShape) {
  const std::string head = "vorn_htm run 1\nfirst-page 12\n";
  const struct {
    const char* name;
    std::string text;
    bool read;
    std::size_t files, links, rewritten = 0;
  } rows[] = {
      {"pages written again", head + "page m0000003.htm\npage m0000011.htm\n", true, 0, 0, 2},
      {"a page that is no page", head + "page menu.html\npage m0000003.htm x\npage m000003.htm\n", true, 0, 0, 0},
      {"whole", head + "file 1 2 0 a.txt\nlink m0000012.htm a.txt\n", true, 1, 1},
      {"a last line cut short", head + "file 1 2 0 a.txt\nfile 1 3 0 b.t", true, 1, 0},
      {"a cut-off escape", head + "file 1 2 0 a%2\n", true, 0, 0},
      {"a raw blank in a name", head + "file 1 2 0 a b.txt\n", true, 0, 0},
      {"a link from no page", head + "link index.html a.txt\n", true, 0, 0},
      {"a number that is none", head + "file 1 x 0 a.txt\n", true, 0, 0},
      {"a record of another kind", head + "note something\nfile 1 2 0 a.txt\n", true, 1, 0},
      {"no first page", "vorn_htm run 1\nfile 1 2 0 a.txt\n", false, 0, 0},
      {"a first page cut short", "vorn_htm run 1\nfirst-page 12", false, 0, 0},
      {"another first line", "vorn_htm run 2\nfirst-page 12\n", false, 0, 0},
      {"empty", "", false, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    dir.write(".vorn_htm.run", row.text);
    const std::optional<RunRecord> r = read_run_record(dir.path());
    ASSERT_EQ(r.has_value(), row.read);
    if (!r) continue;
    EXPECT_EQ(r->first_page, 12);
    EXPECT_EQ(r->files.size(), row.files);
    EXPECT_EQ(r->links.size(), row.links);
    EXPECT_EQ(r->rewritten.size(), row.rewritten);
  }
}

// Starting a record replaces what a stopped run left.
TEST(RunJournal, StartReplacesAnEarlierRecord) {
  TempDir dir;
  dir.write(".vorn_htm.run", "vorn_htm run 1\nfirst-page 3\nfile 1 2 0 a.txt\n");
  RunJournal journal;
  journal.start(dir.path(), 9);
  const std::optional<RunRecord> r = read_run_record(dir.path());
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first_page, 9);
  EXPECT_TRUE(r->files.empty());
}

// A record started with pages taken over from a stopped run's record holds
// them from the start, and what the run records after them.
TEST(RunJournal, StartWithPagesTakenOverHoldsThem) {
  TempDir dir;
  dir.write(".vorn_htm.run", "vorn_htm run 1\nfirst-page 3\nfile 1 2 0 a.txt\npage m0000002.htm\n");
  RunJournal journal;
  journal.start(dir.path(), 9, {"m0000002.htm", "m0000003.htm"});
  journal.rewrites("m0000005.htm");
  const std::optional<RunRecord> r = read_run_record(dir.path());
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first_page, 9);
  EXPECT_TRUE(r->files.empty());
  EXPECT_EQ(r->rewritten, (std::vector<std::string>{"m0000002.htm", "m0000003.htm", "m0000005.htm"}));
  journal.remove();
  EXPECT_FALSE(read_run_record(dir.path()));
}

}  // namespace
