// What a run must never do to an archive, whatever happens around it: runs
// killed half way, two runs at once, inputs that cannot be read, a full disk,
// files left by stopped runs.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "archive/archive_records.h"
#include "archive/menu_reader.h"
#include "core/atomic_out.h"
#include "core/workspace.h"
#include "run/conversion.h"
#include "run/folder_lock.h"
#include "settings/settings_file.h"
#include "support/program_copy.h"
#include "support/search_reader.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// A message numbered i; every third one replies to the one before it, so
// appends join old threads. With attach, it carries a file "a" + i + ".txt"
// (of the given text).
std::string Message(int i, bool attach = false, const std::string& file_text = "") {
  const std::string id = "<m" + std::to_string(i) + "@example.jp>";
  std::string m = "From: Sender " + std::to_string(i % 7) + " <s" + std::to_string(i % 7) + "@example.jp>\r\n";
  m += "Subject: topic " + std::to_string(i / 3) + "\r\n";
  m += "Date: Thu, 08 Jan 2004 " + std::to_string(10 + i % 12) + ":" + std::to_string(10 + i % 50) + ":00 +0900\r\n";
  m += "Message-ID: " + id + "\r\n";
  if (i % 3 == 2) m += "In-Reply-To: <m" + std::to_string(i - 1) + "@example.jp>\r\n";
  const std::string body = "body of message " + std::to_string(i) + "\r\n> quoted line\r\n";
  if (!attach) return m + "\r\n" + body + ".\r\n";
  m += "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n\r\n" + body;
  m += "--b\r\nContent-Type: text/plain; name=\"a" + std::to_string(i) + ".txt\"\r\n";
  m += "Content-Disposition: attachment\r\n\r\n" + (file_text.empty() ? "file of " + std::to_string(i) : file_text);
  return m + "\r\n--b--\r\n.\r\n";
}

// A mailbox of n messages numbered from first; with attach, every other one
// carries a file.
std::string Mailbox(int first, int n, bool attach = false) {
  std::string box;
  for (int i = first; i < first + n; ++i) box += Message(i, attach && i % 2 == 0);
  return box;
}

// Every file of the folder, by name, with its bytes, and those of the search
// index's folder as "srch/" + name; but the lock, and but the menu's index,
// which records the menu file's times and inode. (Whether the index is there
// is compared; that it describes the menu is what the next append through it
// shows.)
std::map<std::string, std::string> Files(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name == kLockName) continue;
    if (e.is_directory()) {
      for (const auto& inner : fs::directory_iterator(e.path()))
        files[name + "/" + inner.path().filename().string()] = ProgramCopy::slurp(inner.path().string());
      continue;
    }
    files[name] = name == ".vorn_htm.index" ? "(index)" : ProgramCopy::slurp(e.path().string());
  }
  return files;
}

struct EnvVar {
  EnvVar(const char* name, const std::string& value) : name(name) { ::setenv(name, value.c_str(), 1); }
  ~EnvVar() { ::unsetenv(name); }
  const char* name;
};

// Runs words with the library that counts the program's file operations
// (VORN_KILL_COUNT: into the file named), or stops it after operation k
// (VORN_KILL_AFTER: killed; VORN_FULL_AFTER: the disk found full).
ProgramCopy::Result run_with_kill_library(const ProgramCopy& p, const std::vector<std::string>& words,
                                          const char* variable, const std::string& value) {
  EnvVar preload("LD_PRELOAD", VORN_KILL_AFTER_LIB);
  EnvVar asan("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0");
  EnvVar set(variable, value);
  return p.run(words);
}

// Folder name of t holding the files given (as Files gives them); its path.
std::string copy_of(TempDir& t, const std::string& name, const std::map<std::string, std::string>& files) {
  fs::create_directories(t / name);
  for (const auto& [file, bytes] : files) t.write(name + "/" + file, bytes);
  return t / name;
}

void Expect_Same_Files(const std::map<std::string, std::string>& got, const std::map<std::string, std::string>& want) {
  std::vector<std::string> got_names, want_names;
  for (const auto& [n, b] : got) got_names.push_back(n);
  for (const auto& [n, b] : want) want_names.push_back(n);
  ASSERT_EQ(got_names, want_names);
  for (const auto& [n, b] : want) EXPECT_TRUE(got.at(n) == b) << n << " differs";
}

// The names in text of every link of the given kind: `<A HREF="` + name +
// `"` + rest.
std::set<std::string> Links(const std::string& text, const std::string& rest) {
  std::set<std::string> names;
  const std::string open = "<A HREF=\"";
  for (std::size_t at = 0; (at = text.find(open, at)) != std::string::npos;) {
    at += open.size();
    const std::size_t end = text.find('"', at);
    if (end == std::string::npos) break;
    if (text.compare(end + 1, rest.size(), rest) == 0) names.insert(text.substr(at, end - at));
  }
  return names;
}

// What the archive in folder links: the pages menu.html lists, and the
// files those pages link.
struct Linked {
  std::set<std::string> pages, files;
};
Linked Links_Of(const std::string& folder) {
  Linked l;
  l.pages = Links(ProgramCopy::slurp(folder + "/menu.html"), " target=\"frame2\"");
  l.pages.erase("rank_hyo.htm");
  for (const std::string& page : l.pages)
    for (const std::string& f : Links(ProgramCopy::slurp(folder + "/" + page), " target=\"_new\"")) l.files.insert(f);
  return l;
}

// The files of the folder that the archive does not link: pages menu.html
// does not list, files no listed page links, and a record of a stopped run.
// (The folder's other files are the frameset, the menu, the placeholder, the
// ranking and the hidden records of a finished run.)
std::vector<std::string> Unlinked(const std::string& folder) {
  const std::set<std::string> own = {"index.html",      "menu.html",       "m0000000.txt",  "rank_hyo.htm",
                                     ".vorn_htm.state", ".vorn_htm.index", ".vorn_htm.lock"};
  const Linked l = Links_Of(folder);
  std::vector<std::string> unlinked;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (!own.count(name) && !l.pages.count(name) && !l.files.count(name)) unlinked.push_back(name);
  }
  return unlinked;
}

// The pages and files the archive in folder links that are not there.
std::vector<std::string> Missing(const std::string& folder) {
  const Linked l = Links_Of(folder);
  std::vector<std::string> missing;
  for (const std::set<std::string>* names : {&l.pages, &l.files})
    for (const std::string& name : *names)
      if (!fs::exists(folder + "/" + name)) missing.push_back(name);
  return missing;
}

// Menu entries of a folder, read back as the next run would.
std::size_t Entries_Read_Back(const std::string& folder) {
  SilentUi ui;
  Workspace ws(ui);
  EnvVar whole("VORN_HTM_NO_INDEX", "1");
  ArchiveRecords records;
  EXPECT_TRUE(Read_Menu(ws, records, folder)) << (ui.messages.empty() ? "" : ui.messages[0]);
  return ws.work_list.count();
}

// Killed after any finished file operation of an append, a run leaves an
// archive from which the same append run, started again, makes exactly the
// archive an uninterrupted append makes: with the search index on, its
// files too.
void Append_Killed_Anywhere(bool search) {
  TempDir t;
  ProgramCopy p(t / "prog");
  if (search) p.settings("[vorn_htm]\r\nSRCH_IX=1\r\n");
  const std::string base = t.write("base.mbx", Mailbox(0, 12));
  const std::string more = t.write("more.mbx", Mailbox(12, 9));
  const std::string next = t.write("next.mbx", Mailbox(21, 5));
  const std::string ref = t / "ref";
  ASSERT_EQ(p.run({"-i", base, "-o", ref}).status, 0);
  const auto before = Files(ref);
  ASSERT_EQ(run_with_kill_library(p, {"-i", more, "-o", ref}, "VORN_KILL_COUNT", t / "count").status, 0);
  const auto want = Files(ref);
  fs::copy(ref, t / "ref_next", fs::copy_options::recursive);
  ASSERT_EQ(p.run({"-i", next, "-o", t / "ref_next"}).status, 0);
  const auto want_next = Files(t / "ref_next");
  const int points = std::atoi(ProgramCopy::slurp(t / "count").c_str());
  ASSERT_GT(points, 10);

  int left_unfinished = 0;
  for (int k = 1; k <= points; ++k) {
    SCOPED_TRACE("killed after operation " + std::to_string(k) + " of " + std::to_string(points));
    const std::string out = copy_of(t, "o" + std::to_string(k), before);
    ASSERT_EQ(run_with_kill_library(p, {"-i", more, "-o", out}, "VORN_KILL_AFTER", std::to_string(k)).status,
              -1);  // it was killed
    if (Files(out) != want) ++left_unfinished;
    ProgramCopy::Result again = p.run({"-i", more, "-o", out});
    ASSERT_EQ(again.status, 0) << again.err;
    Expect_Same_Files(Files(out), want);
    // And the archive goes on appending as the uninterrupted one does.
    ASSERT_EQ(p.run({"-i", next, "-o", out}).status, 0);
    Expect_Same_Files(Files(out), want_next);
    fs::remove_all(out);
  }
  EXPECT_GT(left_unfinished, points / 2);  // the kills did stop the runs half way
  EXPECT_EQ(want.count("srch/ix.js"), search ? 1u : 0u);
}

TEST(RunSafety, AnAppendKilledAnywhereIsMadeWholeByRunningItAgain) { Append_Killed_Anywhere(false); }

TEST(RunSafety, AnAppendWithTheSearchIndexKilledAnywhereIsMadeWholeByRunningItAgain) { Append_Killed_Anywhere(true); }

// An append (of files, and of a re-sent message that takes over an old page
// without files, with a file of its own) that finds the disk full after any
// finished file operation stops with the reason and leaves the folder
// holding what the archive links and only that: the pages and files it
// wrote are gone, the page it was writing again is whole. The same append
// then makes exactly the archive an uninterrupted one makes.
TEST(RunSafety, AnAppendStoppedByAFullDiskLeavesOnlyWhatTheArchiveLinks) {
  TempDir t;
  ProgramCopy p(t / "prog");
  const std::string base = t.write("base.mbx", Mailbox(0, 8, true));
  const std::string more = t.write("more.mbx", Mailbox(8, 9, true) + Message(5, true, "sent again"));
  const std::string ref = t / "ref";
  ASSERT_EQ(p.run({"-i", base, "-o", ref}).status, 0);
  const auto before = Files(ref);
  ASSERT_EQ(run_with_kill_library(p, {"-i", more, "-o", ref}, "VORN_KILL_COUNT", t / "count").status, 0);
  const auto want = Files(ref);
  ASSERT_TRUE(Unlinked(ref).empty());
  const int points = std::atoi(ProgramCopy::slurp(t / "count").c_str());
  ASSERT_GT(points, 10);

  int stopped = 0;
  for (int k = 1; k <= points; ++k) {
    SCOPED_TRACE("disk full after operation " + std::to_string(k) + " of " + std::to_string(points));
    const std::string out = copy_of(t, "o" + std::to_string(k), before);
    const ProgramCopy::Result full =
        run_with_kill_library(p, {"-i", more, "-o", out}, "VORN_FULL_AFTER", std::to_string(k));
    if (full.status != 0) {
      ++stopped;
      EXPECT_EQ(full.status, 1);
      EXPECT_NE(full.err.find("(No space left on device)"), std::string::npos) << full.err;
      EXPECT_FALSE(fs::exists(out + "/.vorn_htm.run"));
    }
    EXPECT_EQ(Unlinked(out), std::vector<std::string>{});
    EXPECT_EQ(Missing(out), std::vector<std::string>{});
    ProgramCopy::Result again = p.run({"-i", more, "-o", out});
    ASSERT_EQ(again.status, 0) << again.err;
    Expect_Same_Files(Files(out), want);
    fs::remove_all(out);
  }
  EXPECT_GT(stopped, points / 2);
}

// Killed after any finished file operation of an append, a run leaves its
// pages and files to the next run into the folder, which removes what the
// archive does not link before it adds its own messages: the archive ends as
// if the killed append had never run, or (killed once its menu was written)
// as if it had ended.
TEST(RunSafety, AKilledAppendsPagesAndFilesGoWithTheNextRun) {
  TempDir t;
  ProgramCopy p(t / "prog");
  const std::string base = t.write("base.mbx", Mailbox(0, 8, true));
  const std::string more = t.write("more.mbx", Mailbox(8, 9, true));
  const std::string next = t.write("next.mbx", Mailbox(30, 3, true));
  const std::string ref = t / "ref";
  ASSERT_EQ(p.run({"-i", base, "-o", ref}).status, 0);
  const auto before = Files(ref);
  fs::copy(ref, t / "ref_skipped");
  ASSERT_EQ(p.run({"-i", next, "-o", t / "ref_skipped"}).status, 0);
  const auto want_skipped = Files(t / "ref_skipped");
  ASSERT_EQ(run_with_kill_library(p, {"-i", more, "-o", ref}, "VORN_KILL_COUNT", t / "count").status, 0);
  ASSERT_EQ(p.run({"-i", next, "-o", ref}).status, 0);
  const auto want_ended = Files(ref);
  const int points = std::atoi(ProgramCopy::slurp(t / "count").c_str());
  ASSERT_GT(points, 10);

  int skipped = 0;
  for (int k = 1; k <= points; ++k) {
    SCOPED_TRACE("killed after operation " + std::to_string(k) + " of " + std::to_string(points));
    const std::string out = copy_of(t, "o" + std::to_string(k), before);
    ASSERT_EQ(run_with_kill_library(p, {"-i", more, "-o", out}, "VORN_KILL_AFTER", std::to_string(k)).status,
              -1);  // it was killed
    ProgramCopy::Result r = p.run({"-i", next, "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Unlinked(out), std::vector<std::string>{});
    const auto got = Files(out);
    if (got == want_skipped)
      ++skipped;
    else
      Expect_Same_Files(got, want_ended);
    fs::remove_all(out);
  }
  EXPECT_GT(skipped, points / 2);  // most kills came before the menu
}

// Killed after any finished file operation of a removal, the same removal
// run again makes exactly the archive an uninterrupted removal makes: no
// trace of the messages left, nothing else lost. Thread lists on, so that
// the pages of the threads are rewritten too; the search index, the links
// between pages and the feed on, so that their files are covered as well.
TEST(RunSafety, ARemovalKilledAnywhereIsMadeWholeByRunningItAgain) {
  TempDir t;
  ProgramCopy p(t / "prog");
  p.settings("[vorn_htm]\r\nKB_THRE=1\r\nML_RANK=1\r\nSRCH_IX=1\r\nNAV_LNK=1\r\nBAS_URL=https://example.org/ml/\r\n");
  const std::string base = t.write("base.mbx", Mailbox(0, 12));
  const std::string ref = t / "ref";
  ASSERT_EQ(p.run({"-i", base, "-o", ref}).status, 0);
  const auto before = Files(ref);
  const std::vector<std::string> remove{"--remove", "<m1@example.jp>", "m5@example.jp", "-o"};
  const auto removal = [&remove](const std::string& out) {
    std::vector<std::string> words = remove;
    words.push_back(out);
    return words;
  };
  ASSERT_EQ(run_with_kill_library(p, removal(ref), "VORN_KILL_COUNT", t / "count").status, 0);
  const auto want = Files(ref);
  const int points = std::atoi(ProgramCopy::slurp(t / "count").c_str());
  ASSERT_GT(points, 5);

  for (int k = 1; k <= points; ++k) {
    SCOPED_TRACE("killed after operation " + std::to_string(k) + " of " + std::to_string(points));
    const std::string out = copy_of(t, "o" + std::to_string(k), before);
    ASSERT_EQ(run_with_kill_library(p, removal(out), "VORN_KILL_AFTER", std::to_string(k)).status,
              -1);  // it was killed
    ProgramCopy::Result again = p.run(removal(out));
    ASSERT_EQ(again.status, 0) << again.err;
    Expect_Same_Files(Files(out), want);
    fs::remove_all(out);
  }
}

// A message numbered i whose body holds the word "kw" + i + version
// (and no other word of that form).
std::string Worded(int i, char version) {
  return "From: s" + std::to_string(i % 5) + "@example.jp\r\nSubject: topic " + std::to_string(i) +
         "\r\nDate: Fri, 09 Jan 2004 10:" + std::to_string(10 + i) + ":00 +0900\r\nMessage-ID: <w" + std::to_string(i) +
         "@example.jp>\r\n\r\ntext kw" + std::to_string(i) + version + " end\r\n.\r\n";
}

std::string Worded_Box(int first, int n) {
  std::string box;
  for (int i = first; i < first + n; ++i) box += Worded(i, 'a');
  return box;
}

// Every word kw<i><v> of the messages: the pages the search index finds for
// it are exactly the listed pages whose text holds it.
void Expect_Index_Finds_What_Pages_Hold(const std::string& folder, int messages) {
  const SearchReader index(folder);
  ASSERT_TRUE(index.present());
  const std::set<std::string> listed = Links_Of(folder).pages;
  for (int i = 0; i < messages; ++i) {
    for (const char v : {'a', 'b'}) {
      const std::string word = "kw" + std::to_string(i) + v;
      std::set<unsigned> holding;
      for (const std::string& page : listed)
        if (ProgramCopy::slurp(folder + "/" + page).find(" " + word + " ") != std::string::npos)
          holding.insert(static_cast<unsigned>(std::stoul(page.substr(1, 7))));
      EXPECT_EQ(index.find({word}), holding) << word;
    }
  }
}

// An append with the search index on (new messages, and a message re-sent
// with other text, whose page it writes again) killed after any finished
// file operation, or stopped there by a full disk, then an append of other
// messages (also once stopped first by a full disk, after it started its
// own record, before its index was saved):
// the index finds every page that holds a word and no page that does not,
// whether the stopped append's pages stayed (its menu was written) or went
// and their numbers went to the other messages.
TEST(RunSafety, AnAppendStoppedAnywhereLeavesAnIndexThatFindsOnlyWhatPagesHold) {
  TempDir t;
  ProgramCopy p(t / "prog");
  p.settings("[vorn_htm]\r\nSRCH_IX=1\r\n");
  const std::string base = t.write("base.mbx", Worded_Box(0, 8));
  std::string resent = Worded(5, 'b');
  const std::string more = t.write("more.mbx", Worded_Box(8, 9) + resent);
  const std::string next = t.write("next.mbx", Worded_Box(30, 3));
  const std::string ref = t / "ref";
  ASSERT_EQ(p.run({"-i", base, "-o", ref}).status, 0);
  const auto before = Files(ref);
  ASSERT_EQ(run_with_kill_library(p, {"-i", more, "-o", ref}, "VORN_KILL_COUNT", t / "count").status, 0);
  const int points = std::atoi(ProgramCopy::slurp(t / "count").c_str());
  ASSERT_GT(points, 10);

  int kept = 0;
  const struct {
    const char* how;
    bool next_stopped_first;
  } modes[] = {{"VORN_KILL_AFTER", false}, {"VORN_FULL_AFTER", false}, {"VORN_KILL_AFTER", true}};
  for (const auto& [how, next_stopped_first] : modes) {
    for (int k = 1; k <= points; ++k) {
      SCOPED_TRACE(std::string(how) + " " + std::to_string(k) + " of " + std::to_string(points) +
                   (next_stopped_first ? ", the next run once stopped by a full disk" : ""));
      const std::string out = copy_of(t, "o" + std::to_string(k), before);
      run_with_kill_library(p, {"-i", more, "-o", out}, how, std::to_string(k));
      if (next_stopped_first) {
        EXPECT_NE(run_with_kill_library(p, {"-i", next, "-o", out}, "VORN_FULL_AFTER", "5").status, 0);
      }
      ProgramCopy::Result r = p.run({"-i", next, "-o", out});
      ASSERT_EQ(r.status, 0) << r.err;
      Expect_Index_Finds_What_Pages_Hold(out, 33);
      if (Links_Of(out).pages.count("m0000017.htm")) ++kept;
      fs::remove_all(out);
    }
  }
  // Some stops came after the stopped append's menu, most before it.
  EXPECT_GT(kept, 0);
  EXPECT_LT(kept, 3 * points);
}

// Two runs into one folder at once: the second waits for the first, and
// every message of both ends up in the menu.
TEST(RunSafety, TwoRunsAtOnceBothEndArchived) {
  TempDir t;
  ProgramCopy p(t / "prog");
  const std::string a = t.write("a.mbx", Mailbox(0, 300));
  const std::string b = t.write("b.mbx", Mailbox(1000, 300));
  for (int trial = 0; trial < 4; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    const std::string out = t / ("out" + std::to_string(trial));
    fs::create_directories(out);
    const pid_t pa = p.start({"-i", a, "-o", out}, "a");
    const pid_t pb = p.start({"-i", b, "-o", out}, "b");
    ProgramCopy::Result ra = p.wait(pa, "a"), rb = p.wait(pb, "b");
    EXPECT_EQ(ra.status, 0) << ra.err;
    EXPECT_EQ(rb.status, 0) << rb.err;
    EXPECT_EQ(Entries_Read_Back(out), 600u);
  }
}

// A folder held by another run longer than the wait: the run refuses with
// 75 (cron tries again later), says which folder, and changes nothing. Held
// only a moment, the run waits and goes on.
TEST(RunSafety, ABusyFolderIsRefusedWithTryAgainLater) {
  TempDir t;
  ProgramCopy p(t / "prog");
  const std::string in = t.write("a.mbx", Mailbox(0, 3));
  const std::string out = t / "out";
  ASSERT_EQ(p.run({"-i", in, "-o", out}).status, 0);
  const auto before = Files(out);

  FolderLock other;
  ASSERT_TRUE(other.acquire(out, std::chrono::milliseconds(0)));
  {
    EnvVar wait("VORN_HTM_LOCK_WAIT", "0.3");
    ProgramCopy::Result r = p.run({"-i", in, "-o", out, "-d", "y"});
    EXPECT_EQ(r.status, 75);
    EXPECT_NE(r.err.find("(Check_Dir:75)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(out + ": 別の vorn_htm"), std::string::npos) << r.err;
    Expect_Same_Files(Files(out), before);
  }
  {
    EnvVar wait("VORN_HTM_LOCK_WAIT", "20");
    const pid_t pid = p.start({"-i", t.write("b.mbx", Mailbox(50, 2)), "-o", out});
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    other.release();
    ProgramCopy::Result r = p.wait(pid);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Entries_Read_Back(out), 5u);
  }
  // Another folder is never held up by this one's lock.
  ASSERT_TRUE(other.acquire(out, std::chrono::milliseconds(0)));
  EnvVar wait("VORN_HTM_LOCK_WAIT", "0");
  EXPECT_EQ(p.run({"-i", in, "-o", t / "elsewhere"}).status, 0);
}

// A run that finds its folder held says so once through its front end, and
// goes on when the other run lets go.
TEST(RunSafety, AWaitingRunTellsItsFrontEnd) {
  struct WaitUi : SilentUi {
    void waiting(const std::string& folder) override { waited.push_back(folder); }
    std::vector<std::string> waited;
  } ui;
  TempDir t, app;
  const std::string out = t / "out";
  fs::create_directories(out);
  Workspace ws(ui);
  ws.App_Dir = app.path();
  Load_Ini(ws.set, ws.App_Dir);
  ws.Auto_Answer = "y";
  FolderLock other;
  ASSERT_TRUE(other.acquire(out, std::chrono::milliseconds(0)));
  std::thread let_go([&other] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    other.release();
  });
  const bool ok = run_conversion(ws, out, {t.write("a.mbx", Mailbox(0, 2))}, "test");
  let_go.join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(ui.waited, (std::vector<std::string>{out}));
}

// An input that cannot be read stops the run before anything is deleted or
// appended: the rebuild keeps the whole old archive.
TEST(RunSafety, AnUnreadableInputStopsTheRunBeforeItDeletes) {
  TempDir t, app;
  const std::string out = t / "out";
  fs::create_directories(out);
  SilentUi ui;
  Workspace ws(ui);
  ws.App_Dir = app.path();
  Load_Ini(ws.set, ws.App_Dir);
  ws.Auto_Answer = "y";
  ASSERT_TRUE(run_conversion(ws, out, {t.write("a.mbx", Mailbox(0, 4))}, "test"));
  const auto before = Files(out);

  struct Row {
    const char* name;
    const char* answer;
  } rows[] = {{"rebuild", "n"}, {"append", "y"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ui.messages.clear();
    ws.Auto_Answer = r.answer;
    const std::string gone = t / "gone.mbx";
    EXPECT_FALSE(run_conversion(ws, out, {t.write("b.mbx", Mailbox(10, 2)), gone}, "test"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "エラー: エラーが発生しました。(File_Syori:53) 処理を中断します。\r\n" + gone +
                                  ": ファイルまたはフォルダがありません (No such file or directory)");
    Expect_Same_Files(Files(out), before);
  }
}

// Temporary files of runs that were stopped are cleared by the next run into
// the folder; names that only look alike are someone else's and stay. A run
// that ended leaves its lock file saying so, and the next run does not
// search the folder (which holds every page of the archive) at all.
TEST(RunSafety, LeftoversOfStoppedRunsAreRemovedAndNothingElse) {
  TempDir t;
  ProgramCopy p(t / "prog");
  const std::string in = t.write("a.mbx", Mailbox(0, 2));
  const char* ours[] = {".vorn_htm~menu.html.Ab12Cd", ".vorn_htm~m0000001.htm.x9Y8z7", ".menu.html.Qw3rTy",
                        ".m0000002.htm.000000", "..vorn_htm.index.abcdef"};
  const char* theirs[] = {".mine", "notes.menu.html.abcdef", ".menu.html.toolong7", ".menu.htm.abcdef",
                          ".vorn_htm~menu.html"};
  struct Row {
    const char* name;
    const char* lock;  // the lock file as the run before left it; null: none
    bool searched;
  } rows[] = {
      {"killed run", "running\n", true},    {"killed while recording its end", "clean\ng\n", true},
      {"earlier version", "", true},        {"no lock file", nullptr, true},
      {"run that ended", "clean\n", false},
  };
  int k = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string out = "out" + std::to_string(++k);
    ASSERT_EQ(p.run({"-i", in, "-o", t / out}).status, 0);
    EXPECT_EQ(ProgramCopy::slurp(t / (out + "/" + kLockName)), "clean\n");
    if (r.lock)
      t.write(out + "/" + kLockName, r.lock);
    else
      fs::remove(t / (out + "/" + kLockName));
    for (const char* n : ours) t.write(out + "/" + n, "x");
    for (const char* n : theirs) t.write(out + "/" + n, "x");
    ASSERT_EQ(p.run({"-i", in, "-o", t / out}).status, 0);
    for (const char* n : ours) EXPECT_EQ(fs::exists(t / (out + "/" + n)), !r.searched) << n;
    for (const char* n : theirs) EXPECT_TRUE(fs::exists(t / (out + "/" + n))) << n;
    EXPECT_EQ(ProgramCopy::slurp(t / (out + "/" + kLockName)), "clean\n");
  }
}

// A full disk stops the run with exit 1 and the reason, the archive that
// was there still reads back, and the pages the run wrote are gone again, so
// that the next small append fits. Needs a small tmpfs, which only a system
// that lets the tests mount one has.
TEST(RunSafety, AFullDiskStopsTheRunAndKeepsTheArchiveReadable) {
  TempDir t;
  ProgramCopy p(t / "prog");
  const std::string out = t / "disk";
  fs::create_directories(out);
  if (::mount("tmpfs", out.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno) << ")";
  struct Unmount {
    std::string dir;
    ~Unmount() { ::umount2(dir.c_str(), MNT_DETACH); }
  } unmount{out};
  ASSERT_EQ(p.run({"-i", t.write("a.mbx", Mailbox(0, 10)), "-o", out}).status, 0);
  ProgramCopy::Result r = p.run({"-i", t.write("big.mbx", Mailbox(100, 3000)), "-o", out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("ディスクの空きがありません (No space left on device)"), std::string::npos) << r.err;
  EXPECT_GE(Entries_Read_Back(out), 10u);
  // It removed what it had begun, so its lock may say it ended.
  for (const auto& e : fs::directory_iterator(out))
    EXPECT_FALSE(is_temp_name(e.path().filename().string())) << e.path();
  EXPECT_EQ(ProgramCopy::slurp(out + "/" + kLockName), "clean\n");
  EXPECT_EQ(Unlinked(out), std::vector<std::string>{});
  ProgramCopy::Result small = p.run({"-i", t.write("small.mbx", Mailbox(200, 5, true)), "-o", out});
  EXPECT_EQ(small.status, 0) << small.err;
  EXPECT_EQ(Entries_Read_Back(out), 15u);
}

}  // namespace
