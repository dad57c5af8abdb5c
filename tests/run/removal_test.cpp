// Taking a message out of an archive for good, through the command line:
// what stays of it, what goes, and what later runs make of it.
#include "run/removal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "support/program_copy.h"
#include "support/search_reader.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::string sj(const std::string& utf8) { return cp932::from_utf8(utf8); }

// A multipart message with the files given as name and text.
std::string Message(const std::string& from, const std::string& subject, const std::string& date, const std::string& id,
                    const std::string& parent, const std::string& body,
                    const std::vector<std::pair<std::string, std::string>>& files = {}) {
  std::string m = "From: " + from + "\r\nSubject: " + subject + "\r\nDate: " + date + "\r\nMessage-ID: " + id + "\r\n";
  if (!parent.empty()) m += "In-Reply-To: " + parent + "\r\n";
  if (files.empty()) return m + "\r\n" + body + "\r\n.\r\n";
  m += "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"bnd\"\r\n\r\n";
  m += "--bnd\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n" + body + "\r\n";
  for (const auto& [name, text] : files)
    m += "--bnd\r\nContent-Type: text/plain; name=\"" + name + "\"\r\nContent-Disposition: attachment; filename=\"" +
         name + "\"\r\n\r\n" + text + "\r\n";
  return m + "--bnd--\r\n.\r\n";
}

// A thread of three (Alice, Bob replying to her, Carol replying to Bob) and
// Dave on his own. Bob's message saves plan.txt, which Dave's saves too
// with the same bytes (one file, linked by both), and bob.txt of its own.
std::string Thread_Mailbox() {
  return Message("Alice <alice@example.jp>", "trip", "Thu, 08 Jan 2004 10:00:00 +0900", "<a@example.jp>", "",
                 "where shall we go") +
         Message("Bob <bob@example.jp>", "Re: trip", "Thu, 08 Jan 2004 11:00:00 +0900", "<b@example.jp>",
                 "<a@example.jp>", "bob's secret plan", {{"plan.txt", "the plan"}, {"bob.txt", "bob only"}}) +
         Message("Carol <carol@example.jp>", "Re: trip", "Thu, 08 Jan 2004 12:00:00 +0900", "<c@example.jp>",
                 "<b@example.jp>", "fine with me") +
         Message("Dave <dave@example.jp>", "plans", "Thu, 08 Jan 2004 13:00:00 +0900", "<d@example.jp>", "",
                 "the same plan", {{"plan.txt", "the plan"}});
}

std::map<std::string, std::string> Files(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name == ".vorn_htm.lock") continue;
    files[name] = name == ".vorn_htm.index" ? "(index)" : ProgramCopy::slurp(e.path().string());
  }
  return files;
}

struct Archive {
  TempDir t;
  ProgramCopy p{t / "prog"};
  std::string box = t.write("ml.mbx", Thread_Mailbox());
  std::string out = t / "out";
  Archive() {
    p.settings("[vorn_htm]\r\nKB_THRE=1\r\nML_RANK=1\r\nTE_FILE=1\r\n");
    EXPECT_EQ(p.run({"-i", box, "-o", out}).status, 0);
  }
  std::string file(const std::string& name) const { return ProgramCopy::slurp(out + "/" + name); }
  // The menu line of a page.
  std::string entry(const std::string& page) const {
    const std::string menu = file("menu.html");
    const std::size_t at = menu.find("<A HREF=\"" + page + "\"");
    if (at == std::string::npos) return {};
    const std::size_t start = menu.rfind("\r\n", at) + 2;
    return menu.substr(start, menu.find("\r\n", at) - start);
  }
};

TEST(Removal, TheMiddleOfAThreadOfThreeGoesAndEverythingElseStays) {
  Archive a;
  ASSERT_TRUE(fs::exists(a.out + "/bob.txt"));
  ASSERT_NE(a.file("m0000001.htm").find("m0000002.htm"), std::string::npos);  // the thread list links Bob
  ProgramCopy::Result r = a.p.run({"--remove", "b@example.jp", "-o", a.out});
  ASSERT_EQ(r.status, 0) << r.err;

  const std::string notice_page = a.file("m0000002.htm");
  const std::string gone_entry = a.entry("m0000002.htm");
  const std::string ranking = a.file("rank_hyo.htm");
  struct Row {
    const char* name;
    std::string text;
    std::string part;
    bool present;
  } rows[] = {
      {"page shows the notice", notice_page, sj("このメッセージは削除されました。"), true},
      {"page in the archive's colours", notice_page, "<BODY BGCOLOR=\"#ffffff\"", true},
      {"page keeps no body", notice_page, "secret", false},
      {"page keeps no sender", notice_page, "bob", false},
      {"page links no file", notice_page, "plan.txt", false},
      {"entry shows the notice", gone_entry, sj("（削除されたメッセージ）"), true},
      {"entry keeps id, parent and date only", gone_entry,
       "<!-- Message-ID:<b@example.jp> / In-Reply-To:<a@example.jp> / Subject_Len:0 / From_Data: / "
       "Date_Data:2004-01-08 11:00:00 / Subj_Data:--></A>",
       true},
      {"entry has no sender", gone_entry, "Bob", false},
      {"entry has no subject", gone_entry, "trip", false},
      {"entry stays under Alice", gone_entry, sj("└<A HREF=\"m0000002.htm\""), true},
      {"Carol's reply keeps its place", a.entry("m0000003.htm"), sj("　└<A HREF=\"m0000003.htm\""), true},
      {"Alice's thread list drops Bob", a.file("m0000001.htm"), "m0000002.htm", false},
      {"Alice's thread list keeps Carol", a.file("m0000001.htm"), sj("　└<A HREF=\"m0000003.htm\">"), true},
      {"Carol's thread list drops Bob", a.file("m0000003.htm"), "m0000002.htm", false},
      {"Carol's thread list keeps Alice", a.file("m0000003.htm"), "<A HREF=\"m0000001.htm\">trip", true},
      {"ranking drops Bob", ranking, "bob@example.jp", false},
      {"ranking shares of three messages", ranking, "<DIV ALIGN=right>33.3</DIV>", true},
      {"the removed list", a.file(".vorn_htm.removed"), "<b@example.jp>\r\n", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.text.find(row.part) != std::string::npos, row.present) << row.text;
  }
  EXPECT_FALSE(fs::exists(a.out + "/bob.txt"));
  EXPECT_EQ(a.file("plan.txt"), "the plan");  // Dave's page links it still
  EXPECT_NE(a.file("m0000004.htm").find("plan.txt"), std::string::npos);
}

TEST(Removal, LaterRunsOfTheSameMailboxLeaveTheMessageOut) {
  Archive a;
  ASSERT_EQ(a.p.run({"--remove", "<b@example.jp>", "-o", a.out}).status, 0);
  const auto removed = Files(a.out);

  // The nightly append of the same mailbox: the message is skipped, and so
  // are the others (they are in the archive already and replace themselves).
  ASSERT_EQ(a.p.run({"-i", a.box, "-o", a.out}).status, 0);
  EXPECT_EQ(a.file("m0000002.htm"), removed.at("m0000002.htm"));
  EXPECT_EQ(a.entry("m0000002.htm").find("Bob"), std::string::npos);
  EXPECT_FALSE(fs::exists(a.out + "/bob.txt"));
  EXPECT_FALSE(fs::exists(a.out + "/m0000005.htm"));

  // A rebuild from the same mailbox: no page, no entry, no file of it.
  ASSERT_EQ(a.p.run({"-i", a.box, "-o", a.out, "-d", "y"}).status, 0);
  EXPECT_EQ(a.file(".vorn_htm.removed"), "<b@example.jp>\r\n");
  EXPECT_EQ(a.file("menu.html").find("Message-ID:<b@example.jp>"), std::string::npos);
  EXPECT_EQ(a.file("menu.html").find("Bob"), std::string::npos);
  EXPECT_FALSE(fs::exists(a.out + "/bob.txt"));
  EXPECT_TRUE(fs::exists(a.out + "/m0000003.htm"));
  EXPECT_FALSE(fs::exists(a.out + "/m0000004.htm"));
  for (const char* page : {"m0000001.htm", "m0000002.htm", "m0000003.htm"}) {
    SCOPED_TRACE(page);
    EXPECT_EQ(a.file(page).find("secret"), std::string::npos);
  }
}

// With the search index, links between pages and the feed: the removed
// message is found by no query and shown by no file of the index, no page
// links to it as a neighbour, and the feed leaves it out; later runs keep
// it so.
TEST(Removal, TheIndexTheLinksAndTheFeedForgetTheMessage) {
  TempDir t;
  ProgramCopy p{t / "prog"};
  p.settings("[vorn_htm]\r\nKB_THRE=1\r\nSRCH_IX=1\r\nNAV_LNK=1\r\nBAS_URL=https://example.org/ml/\r\n");
  const std::string box = t.write("ml.mbx", Thread_Mailbox());
  const std::string out = t / "out";
  ASSERT_EQ(p.run({"-i", box, "-o", out}).status, 0);
  ASSERT_EQ(SearchReader(out).find({"secret"}), (std::set<unsigned>{2}));
  ASSERT_EQ(p.run({"--remove", "<b@example.jp>", "-o", out}).status, 0);

  const auto check = [&out](const char* when) {
    SCOPED_TRACE(when);
    const SearchReader index(out);
    ASSERT_TRUE(index.present());
    EXPECT_EQ(index.find({"secret"}), std::set<unsigned>{});
    EXPECT_EQ(index.find({"bob"}), std::set<unsigned>{});
    EXPECT_EQ(index.find({"plan"}), (std::set<unsigned>{4}));
    EXPECT_EQ(index.find({"fine"}), (std::set<unsigned>{3}));
    for (const auto& e : fs::directory_iterator(out + "/srch")) {
      const std::string name = e.path().filename().string();
      if (name.find("_d") == std::string::npos) continue;  // the rows the result list shows
      SCOPED_TRACE(name);
      EXPECT_EQ(ProgramCopy::slurp(e.path().string()).find("Bob"), std::string::npos);
    }
    const std::string alice = ProgramCopy::slurp(out + "/m0000001.htm");
    const std::string carol = ProgramCopy::slurp(out + "/m0000003.htm");
    EXPECT_NE(alice.find("<A HREF=\"m0000003.htm\" data-key=\"j\">"), std::string::npos) << alice;
    EXPECT_NE(alice.find("<A HREF=\"m0000003.htm\" data-key=\"n\">"), std::string::npos) << alice;
    EXPECT_NE(carol.find("<A HREF=\"m0000001.htm\" data-key=\"p\">"), std::string::npos) << carol;
    for (const char* page : {"m0000001.htm", "m0000003.htm", "m0000004.htm", "feed.xml"}) {
      SCOPED_TRACE(page);
      EXPECT_EQ(ProgramCopy::slurp(out + "/" + page).find("m0000002.htm"), std::string::npos);
    }
    EXPECT_NE(ProgramCopy::slurp(out + "/feed.xml").find("m0000004.htm"), std::string::npos);
  };
  check("after the removal");
  ASSERT_EQ(p.run({"-i", box, "-o", out}).status, 0);
  check("after an append of the same mailbox");
  ASSERT_EQ(p.run({"-i", box, "-o", out, "-d", "y"}).status, 0);
  EXPECT_EQ(SearchReader(out).find({"secret"}), std::set<unsigned>{});
  EXPECT_EQ(SearchReader(out).find({"fine"}), (std::set<unsigned>{2}));  // the rebuild numbers the pages anew
}

// In a segment of the index large enough to keep its rows in many files:
// the removed message's row is blanked in the file that holds it, and no
// other row is touched.
TEST(Removal, TheRowOfTheMessageGoesFromALargeIndex) {
  TempDir t;
  ProgramCopy p{t / "prog"};
  p.settings("[vorn_htm]\r\nSRCH_IX=1\r\n");
  std::string box;
  for (int i = 0; i < 600; ++i) {
    const std::string n = std::to_string(1000 + i);
    box += Message("Sender" + n + " <s" + n + "@example.jp>", "subject" + n,
                   "Thu, 08 Jan 2004 " + std::to_string(10 + i / 60) + ":" + std::to_string(10 + i % 50) + ":00 +0900",
                   "<m" + n + "@example.jp>", "", "text" + n);
  }
  const std::string out = t / "out";
  ASSERT_EQ(p.run({"-i", t.write("ml.mbx", box), "-o", out}).status, 0);
  const auto rows = [&out] {
    std::string all;
    for (const auto& e : fs::directory_iterator(out + "/srch"))
      if (e.path().filename().string().find("_d") != std::string::npos) all += ProgramCopy::slurp(e.path().string());
    return all;
  };
  ASSERT_NE(rows().find("subject1400"), std::string::npos);
  ASSERT_EQ(p.run({"--remove", "<m1400@example.jp>", "-o", out}).status, 0);
  const std::string after = rows();
  EXPECT_EQ(after.find("subject1400"), std::string::npos);
  for (int i = 0; i < 600; ++i) {
    if (i == 400) continue;
    const std::string subject = "subject" + std::to_string(1000 + i);
    if (after.find(subject) == std::string::npos) ADD_FAILURE() << subject << " lost";
  }
  EXPECT_EQ(SearchReader(out).find({"text1400"}), std::set<unsigned>{});
  EXPECT_EQ(SearchReader(out).find({"text1401"}).size(), 1u);
}

// The first message of a thread removed: its replies start the thread, and
// link neither to it nor to the thread before, also after an append.
TEST(Removal, RepliesOfARemovedFirstMessageStartTheirThread) {
  TempDir t;
  ProgramCopy p{t / "prog"};
  p.settings("[vorn_htm]\r\nNAV_LNK=1\r\n");
  const std::string first = Message("Zed <zed@example.jp>", "earlier", "Wed, 07 Jan 2004 10:00:00 +0900",
                                    "<z@example.jp>", "", "an earlier thread");
  const std::string box = t.write("ml.mbx", first + Thread_Mailbox());
  const std::string out = t / "out";
  ASSERT_EQ(p.run({"-i", box, "-o", out}).status, 0);
  ASSERT_EQ(p.run({"--remove", "<a@example.jp>", "-o", out}).status, 0);
  for (const char* when : {"after the removal", "after an append"}) {
    SCOPED_TRACE(when);
    const std::string zed = ProgramCopy::slurp(out + "/m0000001.htm");
    const std::string bob = ProgramCopy::slurp(out + "/m0000003.htm");
    EXPECT_NE(zed.find("<A HREF=\"m0000003.htm\" data-key=\"j\">"), std::string::npos) << zed;
    EXPECT_NE(bob.find("<A HREF=\"m0000001.htm\" data-key=\"k\">"), std::string::npos) << bob;
    EXPECT_EQ(bob.find("data-key=\"p\""), std::string::npos) << bob;
    EXPECT_NE(bob.find("<A HREF=\"m0000004.htm\" data-key=\"n\">"), std::string::npos) << bob;
    EXPECT_EQ(zed.find("data-key=\"n\""), std::string::npos) << zed;
    ASSERT_EQ(p.run({"-i",
                     t.write("late.mbx", Message("Eve <eve@example.jp>", "Re: trip", "Fri, 09 Jan 2004 10:00:00 +0900",
                                                 "<e@example.jp>", "<c@example.jp>", "late reply")),
                     "-o", out})
                  .status,
              0);
  }
}

TEST(Removal, AnUnknownIdChangesNothing) {
  Archive a;
  const auto before = Files(a.out);
  struct Row {
    const char* name;
    std::vector<std::string> ids;
    const char* named;
  } rows[] = {
      {"one unknown", {"<x@example.jp>"}, "<x@example.jp>"},
      {"a known one with an unknown one", {"<b@example.jp>", "nobody@example.jp"}, "nobody@example.jp"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> words{"--remove"};
    words.insert(words.end(), row.ids.begin(), row.ids.end());
    words.insert(words.end(), {"-o", a.out});
    ProgramCopy::Result r = a.p.run(words);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(row.named), std::string::npos) << r.err;
    EXPECT_EQ(Files(a.out), before);
  }
}

TEST(Removal, SeveralIdsGoTogether) {
  Archive a;
  ASSERT_EQ(a.p.run({"--remove", "<b@example.jp>", "d@example.jp", "-o", a.out}).status, 0);
  EXPECT_EQ(a.file(".vorn_htm.removed"), "<b@example.jp>\r\n<d@example.jp>\r\n");
  // plan.txt was linked by the two removed pages only.
  EXPECT_FALSE(fs::exists(a.out + "/plan.txt"));
  EXPECT_NE(a.entry("m0000004.htm").find(cp932::from_utf8("（削除されたメッセージ）")), std::string::npos);
  // Removing one again changes nothing more.
  const auto once = Files(a.out);
  ASSERT_EQ(a.p.run({"--remove", "<d@example.jp>", "-o", a.out}).status, 0);
  EXPECT_EQ(Files(a.out), once);
}

TEST(Removal, IdFormsWithAndWithoutBrackets) {
  struct Row {
    const char* given;
    std::vector<std::string> forms;
  } rows[] = {
      {"<a@b>", {"<a@b>", "a@b"}},
      {"a@b", {"a@b", "<a@b>"}},
      {"<", {"<", "<<>"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.given);
    EXPECT_EQ(id_forms(row.given), row.forms);
  }
}

}  // namespace
