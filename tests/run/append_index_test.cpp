// An append run with the index of the old menu gives, file for file, the
// archive that reading the old menu whole gives.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "core/workspace.h"
#include "run/conversion.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const char kIndex[] = ".vorn_htm.index";

struct Mail {
  std::string date, from, id, parent, subject;
};

// One message of a dot-separated mailbox; empty values leave the header out.
std::string Text(const Mail& m) {
  std::string t;
  if (!m.date.empty()) t += "Date: " + m.date + "\n";
  t += "From: " + m.from + "\n";
  t += "Subject: " + m.subject + "\n";
  if (!m.id.empty()) t += "Message-ID: " + m.id + "\n";
  if (!m.parent.empty()) t += "In-Reply-To: " + m.parent + "\n";
  t += "\nbody of " + m.subject + "\n.\n";
  return t;
}

std::string Mailbox(const std::vector<Mail>& mails) {
  std::string t;
  for (const Mail& m : mails) t += Text(m);
  return t;
}

std::string Day(int d, int h = 12) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "Mon, %02d Feb 2004 %02d:00:00 +0900", 1 + d % 28, h % 24);
  return buf;
}

struct Archive {
  TempDir app, out;
  SilentUi ui;
  Workspace ws{ui};
  bool keep_index;
  explicit Archive(bool keep) : keep_index(keep) {
    ws.App_Dir = app.path();
    Load_Ini(ws.set, ws.App_Dir);
    ws.Auto_Answer = "y";
  }
  bool run(const std::string& mailbox) {
    if (!keep_index) fs::remove(out / kIndex);
    return run_conversion(ws, out.path(), {app.write("in.mbx", mailbox)}, "test");
  }
};

// Every published file of both archives, compared whole.
void Expect_Same_Files(const Archive& a, const Archive& b) {
  std::map<std::string, std::string> fa, fb;
  for (const auto& e : fs::directory_iterator(a.out.path()))
    if (e.path().filename().string()[0] != '.') fa[e.path().filename()] = a.out.read(e.path().filename());
  for (const auto& e : fs::directory_iterator(b.out.path()))
    if (e.path().filename().string()[0] != '.') fb[e.path().filename()] = b.out.read(e.path().filename());
  ASSERT_EQ(fa.size(), fb.size());
  for (const auto& [name, bytes] : fa) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(fb.count(name));
    EXPECT_EQ(bytes, fb[name]);
  }
}

// Runs the mailboxes into an archive that keeps its index and into one that
// reads its menu whole; after each run both hold the same files. The first
// run also gets a thread no later run touches, so every later run that used
// the index threaded fewer messages.
void Expect_Same_Archives(std::vector<std::vector<Mail>> runs, bool ranking = true, bool subjects = false,
                          bool lists = false, const char* excluded = nullptr) {
  runs.front().push_back({Day(0, 0), "Y <y@x>", "<bystander>", "", "bystander"});
  Archive a(true), b(false);
  a.ws.set.ML_RANK = b.ws.set.ML_RANK = ranking;
  a.ws.set.S_TITLE = b.ws.set.S_TITLE = subjects;
  a.ws.set.KB_THRE = b.ws.set.KB_THRE = lists;
  if (excluded) a.ws.set.TITLE_D = b.ws.set.TITLE_D = excluded;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    SCOPED_TRACE("run " + std::to_string(r + 1));
    if (r > 0) {
      ASSERT_TRUE(fs::exists(a.out / kIndex));
    }
    ASSERT_TRUE(a.run(Mailbox(runs[r])));
    ASSERT_TRUE(b.run(Mailbox(runs[r])));
    ASSERT_NO_FATAL_FAILURE(Expect_Same_Files(a, b));
    if (r > 0) {
      EXPECT_LT(a.ws.work_list.count(), b.ws.work_list.count()) << "the index was not used";
    }
  }
}

// A named row of mailboxes, one per run.
struct Scenario {
  const char* name;
  std::vector<std::vector<Mail>> runs;
};

TEST(AppendIndex, GivesTheArchiveOfAWholeRead) {
  const Scenario rows[] = {
      {"reply_to_an_earlier_run_and_a_new_first_thread",
       {{{Day(5), "A <a@x>", "<a>", "", "alpha"},
         {Day(6), "B <b@x>", "<b>", "", "beta"},
         {Day(7), "C <c@x>", "<c>", "", "gamma"}},
        {{Day(8), "D <d@x>", "<d>", "<b>", "Re: beta"}, {Day(1), "E <e@x>", "<e>", "", "older than all"}}}},
      {"the_first_thread_gains_a_reply",
       {{{Day(1), "A <a@x>", "<a>", "", "alpha"}, {Day(2), "B <b@x>", "<b>", "", "beta"}},
        {{Day(3), "C <c@x>", "<c>", "<a>", "Re: alpha"}}}},
      {"an_earlier_root_waits_for_its_parent",
       {{{Day(5), "A <a@x>", "<x>", "<p>", "Re: lost"}, {Day(6), "B <b@x>", "<y>", "<x>", "Re: Re: lost"}},
        {{Day(2), "P <p@x>", "<p>", "", "lost"}, {Day(9), "Q <q@x>", "<q>", "", "later"}}}},
      {"a_resent_message_takes_over_its_entry",
       {{{Day(1), "A <a@x>", "<a>", "", "root"},
         {Day(2), "B <b@x>", "<b>", "<a>", "Re: root"},
         {Day(3), "C <c@x>", "<c>", "<b>", "Re: Re: root"}},
        {{Day(9), "Z <z@x>", "<b>", "", "re-sent with another date"}}}},
      {"messages_without_ids_and_loops",
       {{{Day(1), "A <a@x>", "", "", "no id"},
         {Day(2), "B <b@x>", "<m>", "<n>", "loop one"},
         {Day(3), "C <c@x>", "<n>", "<m>", "loop two"},
         {Day(4), "D <d@x>", "<s>", "<s>", "itself"}},
        {{Day(5), "E <e@x>", "", "", "no id again"},
         {Day(6), "F <f@x>", "<f>", "<n>", "into the loop"},
         {Day(7), "G <g@x>", "<g>", "<s>", "Re: itself"}}}},
      {"senders_in_other_case_and_quotes",
       {{{Day(1), "Alpha <al@x>", "<1>", "", "one"},
         {Day(2), "alpha <al@x>", "<2>", "", "two"},
         {Day(3), "\"Al \\\"pha\" <al@x>", "<3>", "", "three"}},
        {{Day(4), "Alpha <al@x>", "<4>", "", "four"}, {Day(5), "Beta <be@x>", "<2>", "", "two re-sent"}}}},
      {"senders_holding_label_texts",
       {{{Day(1), "Eve / Date_Data:1999-01-01 00:00:00 / Subj_Data:x <eve@x>", "<a / In-Reply-To:b>", "", "alpha"},
         {Day(2), "Eve / Date_Data: <eve@x>", "<b>", "<a / In-Reply-To:b>", "Re: alpha"}},
        {{Day(3), "Mal &#47; From_Data: <m@x>", "<c>", "<b>", "Re: alpha"}},
        {{Day(4), "Eve / Date_Data: <eve@x>", "<d>", "<c>", "Re: alpha"}}}},
      {"odd_dates_and_an_empty_run",
       {{{"", "A <a@x>", "<a>", "", "no date"}, {"someday", "B <b@x>", "<b>", "", "raw date"}},
        {},
        {{"", "C <c@x>", "<c>", "<a>", "Re: no date"}, {Day(3), "D <d@x>", "<d>", "<b>", "Re: raw date"}}}},
  };
  for (const Scenario& r : rows) {
    SCOPED_TRACE(r.name);
    Expect_Same_Archives(r.runs);
    SCOPED_TRACE("subject threading and thread lists");
    Expect_Same_Archives(r.runs, true, true, true);
  }
}

TEST(AppendIndex, SubjectThreadingGivesTheArchiveOfAWholeRead) {
  const Scenario rows[] = {
      {"a_new_message_between_two_of_a_subject",
       {{{Day(1), "A <a@x>", "<a>", "", "plan"}, {Day(5), "B <b@x>", "<b>", "", "Re: plan"}},
        {{Day(3), "C <c@x>", "<c>", "", "[ml:7] Re: plan"}}}},
      {"a_new_last_message_of_a_subject",
       {{{Day(1), "A <a@x>", "<a>", "", "plan"}, {Day(2), "B <b@x>", "<b>", "<a>", "Re: plan"}},
        {{Day(9), "C <c@x>", "<c>", "", "RE: plan"}}}},
      {"a_reply_that_also_carries_a_subject",
       {{{Day(1), "A <a@x>", "<a>", "", "one"}, {Day(2), "B <b@x>", "<b>", "", "two"}},
        {{Day(3), "C <c@x>", "<c>", "<a>", "Re: two"}, {Day(4), "D <d@x>", "<d>", "", "Re: two"}}}},
      {"excluded_and_empty_subjects",
       {{{Day(1), "A <a@x>", "<a>", "", "Re:"}, {Day(2), "B <b@x>", "<b>", "", "hello"}},
        {{Day(3), "C <c@x>", "<c>", "", "Re: "}, {Day(4), "D <d@x>", "<d>", "", "Re: hello"}}}},
      {"a_message_under_a_subject_gets_the_parent_it_named",
       {{{Day(1), "A <a@x>", "<a>", "", "plan"}, {Day(2), "B <b@x>", "<b>", "<gone>", "Re: plan"}},
        {{Day(3), "G <g@x>", "<gone>", "", "lost"}}}},
      {"an_older_message_of_a_subject",
       {{{Day(5), "A <a@x>", "<a>", "", "topic"}, {Day(6), "B <b@x>", "<b>", "", "Re: topic"}},
        {{Day(1), "C <c@x>", "<c>", "", "topic"}}}},
  };
  for (const Scenario& r : rows) {
    SCOPED_TRACE(r.name);
    Expect_Same_Archives(r.runs, true, true);
    Expect_Same_Archives(r.runs, true, true, true);
  }
}

// Archives made up of a few messages a run, drawn by a seeded generator so
// that the cases the index must get right come up often: subjects that
// collide after reduction, excluded subjects (and parts of them), replies to
// ids never seen, to ids still to come and to the message itself, re-sent
// Message-IDs, missing ids, equal dates, senders holding label texts.
struct ArchiveGenerator {
  std::mt19937 rng;
  int made = 0;
  explicit ArchiveGenerator(unsigned seed) : rng(seed) {}
  int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

  Mail mail() {
    static const char* const kSubjects[] = {
        "plan", "Re: plan", "[ml:1] Re: plan", "RE: RE: plan", "news", "Re: news", "hello", "Re: hello", "hell",
        "Re:",  "",         "a / Subj_Data:b"};
    static const char* const kSenders[] = {"A <a@x>", "B <b@x>", "b <b@x>", "C",
                                           "Eve / Date_Data:1999-01-01 00:00:00 / Subj_Data:x <eve@x>"};
    Mail m;
    m.date = pick(8) == 0 ? "" : Day(pick(6), pick(3));  // few distinct dates: equal ones come up
    m.from = kSenders[pick(5)];
    const int id = pick(6) == 0 && made > 0 ? pick(made) : made;  // a re-sent one
    if (pick(10) != 0) m.id = "<i" + std::to_string(id) + ">";
    switch (pick(6)) {
      case 0:
      case 1:
        break;  // no In-Reply-To
      case 2:
        m.parent = "<gone" + std::to_string(pick(3)) + ">";  // names no message, perhaps one to come
        break;
      case 3:
        m.parent = "<i" + std::to_string(made + 1 + pick(3)) + ">";  // a message still to come
        break;
      default:
        m.parent = "<i" + std::to_string(pick(made + 1)) + ">";  // an earlier one, or itself
    }
    m.subject = pick(5) == 0 ? "only " + std::to_string(made) : kSubjects[pick(12)];
    ++made;
    return m;
  }
  std::vector<std::vector<Mail>> runs() {
    std::vector<std::vector<Mail>> out(2 + pick(3));
    for (auto& run : out)
      for (int k = pick(7); k > 0; --k) run.push_back(mail());
    // Now and then a last run brings, on their own, the ids earlier ones
    // replied to.
    if (pick(2) == 0) {
      out.emplace_back();
      for (int g = 0; g < 3; ++g)
        out.back().push_back({Day(pick(6)), "G <g@x>", "<gone" + std::to_string(g) + ">", "",
                              pick(3) == 0 ? "plan" : "lost " + std::to_string(g)});
    }
    return out;
  }
};

TEST(AppendIndex, RandomRunsGiveTheArchiveOfAWholeRead) {
  // VORN_APPEND_SEEDS=n tries n seeds instead of the suite's few;
  // VORN_APPEND_SEED=k tries seed k alone.
  unsigned first = 1, seeds = 40;
  if (const char* n = std::getenv("VORN_APPEND_SEEDS")) seeds = static_cast<unsigned>(std::atoi(n));
  if (const char* k = std::getenv("VORN_APPEND_SEED")) first = seeds = static_cast<unsigned>(std::atoi(k));
  std::vector<unsigned> tried;
  for (unsigned seed = first; seed <= seeds; ++seed) tried.push_back(seed);
  // Seeds that once found a difference: 313, a recalled message whose
  // subject links to a thread that no new message names.
  if (!std::getenv("VORN_APPEND_SEED")) tried.push_back(313);
  for (unsigned seed : tried) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    ArchiveGenerator gen(seed);
    const std::vector<std::vector<Mail>> runs = gen.runs();
    // Subject threading on in three seeds of four, "hello" and "thanks"
    // excluded from it.
    Expect_Same_Archives(runs, seed % 2 == 1, seed % 4 != 0, seed % 3 == 0, "hello,thanks");
    if (HasFailure()) break;
  }
}

// Changes one byte of menu.html in place and sets its times back as
// "touch -r" does: size, modification time and inode are those the index
// recorded. Only the change time moves (tried again until the file system's
// clock has ticked).
void Edit_Keeping_Size_And_Time(Archive& a) {
  const std::string path = a.out / "menu.html";
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  std::string menu = a.out.read("menu.html");
  const std::size_t at = menu.find("alpha--></A>");
  ASSERT_NE(at, std::string::npos);
  menu[at] = 'A';
  struct stat after {};
  for (int tries = 0; tries < 200; ++tries) {
    a.out.write("menu.html", menu);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    if (after.st_ctim.tv_sec != before.st_ctim.tv_sec || after.st_ctim.tv_nsec != before.st_ctim.tv_nsec) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(after.st_size, before.st_size);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_TRUE(after.st_ctim.tv_sec != before.st_ctim.tv_sec || after.st_ctim.tv_nsec != before.st_ctim.tv_nsec);
}

TEST(AppendIndex, CountsOnlyForTheMenuAndSettingsItWasWrittenWith) {
  const std::vector<Mail> first = {{Day(1), "A <a@x>", "<a>", "", "alpha"}, {Day(2), "B <b@x>", "<b>", "", "beta"}};
  const std::vector<Mail> second = {{Day(3), "C <c@x>", "<c>", "<a>", "Re: alpha"}};
  struct Row {
    const char* name;
    void (*change)(Archive&);
  } rows[] = {
      {"menu_changed", [](Archive& a) { a.out.write("menu.html", a.out.read("menu.html") + "\r\n"); }},
      {"menu_edited_with_its_size_and_time_kept", Edit_Keeping_Size_And_Time},
      {"menu_columns_changed", [](Archive& a) { a.ws.set.MN_ADRS = true; }},
      {"index_damaged",
       [](Archive& a) {
         std::string index = a.out.read(kIndex);
         index[index.size() / 2] ^= 1;
         a.out.write(kIndex, index);
       }},
      {"index_cut_short", [](Archive& a) { a.out.write(kIndex, a.out.read(kIndex).substr(0, 100)); }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Archive a(true), b(false);
    ASSERT_TRUE(a.run(Mailbox(first)));
    ASSERT_TRUE(b.run(Mailbox(first)));
    r.change(a);
    r.change(b);
    ASSERT_TRUE(a.run(Mailbox(second)));
    ASSERT_TRUE(b.run(Mailbox(second)));
    Expect_Same_Files(a, b);
    EXPECT_EQ(a.ws.work_list.count(), b.ws.work_list.count()) << "the index should not count";
  }
}

TEST(AppendIndex, IsWrittenOnlyWhereItCanDescribeTheMenu) {
  const std::vector<Mail> mails = {{Day(1), "A <a@x>", "<a>", "", "alpha"},
                                   {Day(2), "B <b@x>", "<b>", "<a>", "Re: alpha"}};
  struct Row {
    const char* name;
    void (*set)(Settings&);
    bool written;
  } rows[] = {{"run_defaults", [](Settings&) {}, true},
              {"subject_threading", [](Settings& s) { s.S_TITLE = true; }, true},
              {"thread_lists", [](Settings& s) { s.KB_THRE = true; }, true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Archive a(true);
    r.set(a.ws.set);
    ASSERT_TRUE(a.run(Mailbox(mails)));
    EXPECT_EQ(fs::exists(a.out / kIndex), r.written);
  }

  // A run that rebuilds the archive and stops on the way leaves no index of
  // the menu it replaced.
  {
    Archive a(true);
    ASSERT_TRUE(a.run(Mailbox(mails)));
    a.ws.Auto_Answer = "n";
    EXPECT_FALSE(run_conversion(a.ws, a.out.path(), {a.app.path()}, "test"));  // a folder is no mailbox
    EXPECT_FALSE(fs::exists(a.out / kIndex));
  }

  // A hand-made menu listing one Message-ID twice: read whole, and no index.
  Archive a(true);
  ASSERT_TRUE(a.run(Mailbox(mails)));
  std::string menu = a.out.read("menu.html");
  const std::size_t at = menu.find("Message-ID:<b>");
  ASSERT_NE(at, std::string::npos);
  menu.replace(at, 14, "Message-ID:<a>");
  a.out.write("menu.html", menu);
  ASSERT_TRUE(a.run(Mailbox({{Day(3), "C <c@x>", "<c>", "", "gamma"}})));
  EXPECT_EQ(a.ws.work_list.count(), 3u);
  EXPECT_FALSE(fs::exists(a.out / kIndex));
}

}  // namespace
