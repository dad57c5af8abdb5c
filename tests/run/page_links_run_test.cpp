// Links between message pages in whole runs: every page's neighbours by
// date and in its thread, appends that rewrite only the pages whose
// neighbours changed, and a re-sent message.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "core/workspace.h"
#include "run/conversion.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Mail {
  const char* id;
  const char* parent;  // "" for none
  const char* time;    // hh:mm:ss on 5 Jan 2004, +0900
};

std::string mailbox(std::initializer_list<Mail> mails) {
  std::string out;
  for (const Mail& m : mails) {
    out += "Date: Mon, 05 Jan 2004 " + std::string(m.time) + " +0900\r\n";
    out += "From: Sender " + std::string(m.id) + " <" + m.id + "@example.jp>\r\n";
    out += "Subject: subject of " + std::string(m.id) + "\r\n";
    out += "Message-ID: <" + std::string(m.id) + "@example.jp>\r\n";
    if (*m.parent) out += "In-Reply-To: <" + std::string(m.parent) + "@example.jp>\r\n";
    out += "\r\nbody of " + std::string(m.id) + "\r\n.\r\n";
  }
  return out;
}

// previous and next by date, previous and next in the thread: pages or "".
struct Links {
  std::string k, j, p, n;
  bool operator==(const Links&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Links& l) {
  return o << "k=" << l.k << " j=" << l.j << " p=" << l.p << " n=" << l.n;
}

// The links of a page, read from its lines of links; both lines (above the
// header and below the text) must agree.
Links page_links(const std::string& page) {
  static const std::regex line_re("<SPAN class=\"vorn-nav\">[^\r\n]*</SPAN>");
  static const std::regex link_re("<A HREF=\"(m[0-9]{7}\\.htm)\" data-key=\"([jknp])\">");
  std::vector<std::string> lines;
  for (auto it = std::sregex_iterator(page.begin(), page.end(), line_re); it != std::sregex_iterator(); ++it)
    lines.push_back(it->str());
  EXPECT_EQ(lines.size(), 2u) << "one line of links above the header, one below the text";
  if (lines.empty()) return {};
  EXPECT_EQ(lines.front(), lines.back());
  Links l;
  for (auto it = std::sregex_iterator(lines[0].begin(), lines[0].end(), link_re); it != std::sregex_iterator(); ++it) {
    const std::string key = (*it)[2];
    (key == "k" ? l.k : key == "j" ? l.j : key == "p" ? l.p : l.n) = (*it)[1];
  }
  return l;
}

struct Archive {
  TempDir app, out;
  SilentUi ui;
  Workspace ws{ui};
  explicit Archive(bool lists) {
    ws.App_Dir = app.path();
    Load_Ini(ws.set, ws.App_Dir);
    ws.set.NAV_LNK = true;
    ws.set.KB_THRE = lists;
    ws.set.BAS_URL = "https://example.org/ml";
    ws.Auto_Answer = "y";  // an existing archive is appended to
  }
  bool run(const std::vector<std::string>& files) { return run_conversion(ws, out.path(), files, "test"); }
  void expect_links(const std::map<std::string, Links>& want) {
    for (const auto& [page, links] : want) {
      SCOPED_TRACE(page);
      EXPECT_EQ(page_links(out.read(page)), links);
    }
  }
  ino_t inode(const std::string& name) const {
    struct stat st {};
    ::stat((out / name).c_str(), &st);
    return st.st_ino;
  }
};

// Pages m1..m6 in file order: a1 a2 b1 b2 c1 c2; three threads, their
// messages interleaved in time.
const std::string kFirst = mailbox({{"a1", "", "01:00:00"},
                                    {"a2", "a1", "04:00:00"},
                                    {"b1", "", "02:00:00"},
                                    {"b2", "b1", "05:00:00"},
                                    {"c1", "", "03:00:00"},
                                    {"c2", "c1", "06:00:00"}});
// m7: a reply to a1 dated between c1 and a2, so in the middle of a's thread;
// m8: a reply to c2 after everything, at the end of c's thread.
const std::string kSecond = mailbox({{"x", "a1", "03:30:00"}, {"d", "c2", "07:00:00"}});

TEST(PageLinksRun, EveryPageLinksItsNeighboursByDateAndInItsThread) {
  for (bool lists : {false, true}) {
    SCOPED_TRACE(lists ? "with thread lists" : "without thread lists");
    Archive a(lists);
    // A tie: c2 and a3 share a date, the lower page (a3, m3) goes first.
    const std::string box = a.app.write("three.mbx", mailbox({{"a1", "", "01:00:00"},
                                                              {"a2", "a1", "04:00:00"},
                                                              {"a3", "a2", "06:00:00"},
                                                              {"b1", "", "02:00:00"},
                                                              {"b2", "b1", "05:00:00"},
                                                              {"c1", "", "03:00:00"},
                                                              {"c2", "c1", "06:00:00"}}));
    ASSERT_TRUE(a.run({box}));
    // Date order: m1 m4 m6 m2 m5 m3 m7; threads: m1 m2 m3 | m4 m5 | m6 m7.
    a.expect_links({{"m0000001.htm", {"", "m0000004.htm", "", "m0000002.htm"}},
                    {"m0000004.htm", {"m0000001.htm", "m0000006.htm", "", "m0000005.htm"}},
                    {"m0000006.htm", {"m0000004.htm", "m0000002.htm", "", "m0000007.htm"}},
                    {"m0000002.htm", {"m0000006.htm", "m0000005.htm", "m0000001.htm", "m0000003.htm"}},
                    {"m0000005.htm", {"m0000002.htm", "m0000003.htm", "m0000004.htm", ""}},
                    {"m0000003.htm", {"m0000005.htm", "m0000007.htm", "m0000002.htm", ""}},
                    {"m0000007.htm", {"m0000003.htm", "", "m0000006.htm", ""}}});
    const std::string first = a.out.read("m0000001.htm");
    // A link without a target is its label, unlinked.
    EXPECT_NE(first.find("[\x91O (\x93\xFA\x95t)]"), std::string::npos) << "前 (日付) as plain text";
    EXPECT_NE(first.find("<A HREF=\"index.html\" target=\"_top\">"), std::string::npos);
    EXPECT_NE(first.find("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"),
              std::string::npos);
    EXPECT_NE(first.find("white-space:pre-wrap"), std::string::npos);
    const std::size_t script = first.find("<SCRIPT>document.addEventListener(\"keydown\"");
    EXPECT_NE(script, std::string::npos) << "the keys j, k, n and p";
    EXPECT_EQ(first.find("<SCRIPT>", script + 1), std::string::npos) << "once";
  }
}

TEST(PageLinksRun, AnAppendRewritesOnlyThePagesWhoseNeighboursChangedAndEqualsARebuild) {
  for (bool lists : {false, true}) {
    SCOPED_TRACE(lists ? "with thread lists" : "without thread lists");
    Archive a(lists);
    const std::string first = a.app.write("first.mbx", kFirst);
    const std::string second = a.app.write("second.mbx", kSecond);
    ASSERT_TRUE(a.run({first}));
    std::map<std::string, ino_t> before;
    std::map<std::string, std::string> bytes;
    for (int k = 1; k <= 6; ++k) {
      const std::string page = "m000000" + std::to_string(k) + ".htm";
      before[page] = a.inode(page);
      bytes[page] = a.out.read(page);
    }
    ASSERT_TRUE(a.run({second}));
    // a1 (m1) gets x as its next in the thread; c1 (m5) x as its next by
    // date; a2 (m2) x before it both ways; c2 (m6) d after it both ways.
    // b1 and b2 (m3, m4) keep their neighbours.
    const std::set<std::string> changed = {"m0000001.htm", "m0000002.htm", "m0000005.htm", "m0000006.htm"};
    for (const auto& [page, inode] : before) {
      SCOPED_TRACE(page);
      const bool same = a.inode(page) == inode && a.out.read(page) == bytes[page];
      EXPECT_EQ(!same, changed.count(page) == 1);
    }
    a.expect_links({{"m0000001.htm", {"", "m0000003.htm", "", "m0000007.htm"}},
                    {"m0000007.htm", {"m0000005.htm", "m0000002.htm", "m0000001.htm", "m0000002.htm"}},
                    {"m0000002.htm", {"m0000007.htm", "m0000004.htm", "m0000007.htm", ""}},
                    {"m0000006.htm", {"m0000004.htm", "m0000008.htm", "m0000005.htm", "m0000008.htm"}},
                    {"m0000008.htm", {"m0000006.htm", "", "m0000006.htm", ""}}});

    Archive b(lists);
    ASSERT_TRUE(b.run({b.app.write("first.mbx", kFirst), b.app.write("second.mbx", kSecond)}));
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(b.out.path())) names.insert(e.path().filename().string());
    for (const auto& e : fs::directory_iterator(a.out.path())) names.insert(e.path().filename().string());
    for (const std::string& name : names) {
      if (name[0] == '.') continue;  // the hidden records of the runs
      SCOPED_TRACE(name);
      EXPECT_EQ(a.out.read(name), b.out.read(name));
    }
  }
}

TEST(PageLinksRun, AReSentMessageKeepsItsPageAndEveryLinkFollowsItsNewDate) {
  Archive a(true);
  ASSERT_TRUE(a.run({a.app.write("first.mbx", kFirst)}));
  // a2 again, now the newest message.
  ASSERT_TRUE(a.run({a.app.write("again.mbx", mailbox({{"a2", "a1", "08:00:00"}}))}));
  EXPECT_FALSE(fs::exists(a.out / "m0000007.htm"));
  // Date order: m1 m3 m5 m4 m6 m2; threads unchanged: m1 m2 | m3 m4 | m5 m6.
  a.expect_links({{"m0000001.htm", {"", "m0000003.htm", "", "m0000002.htm"}},
                  {"m0000003.htm", {"m0000001.htm", "m0000005.htm", "", "m0000004.htm"}},
                  {"m0000005.htm", {"m0000003.htm", "m0000004.htm", "", "m0000006.htm"}},
                  {"m0000004.htm", {"m0000005.htm", "m0000006.htm", "m0000003.htm", ""}},
                  {"m0000006.htm", {"m0000004.htm", "m0000002.htm", "m0000005.htm", ""}},
                  {"m0000002.htm", {"m0000006.htm", "", "m0000001.htm", ""}}});
}

TEST(PageLinksRun, SwitchingTheLinksOffRestylesTheOldPagesBackToTheirFormerBytes) {
  Archive plain(true);
  plain.ws.set.NAV_LNK = false;
  plain.ws.set.BAS_URL.clear();
  ASSERT_TRUE(plain.run({plain.app.write("first.mbx", kFirst)}));

  Archive a(true);
  const std::string first = a.app.write("first.mbx", kFirst);
  ASSERT_TRUE(a.run({first}));
  ASSERT_NE(a.out.read("m0000001.htm"), plain.out.read("m0000001.htm"));
  a.ws.set.NAV_LNK = false;
  a.ws.set.BAS_URL.clear();
  ASSERT_TRUE(a.run({a.app.write("empty.mbx", "")}));
  for (const char* name : {"m0000001.htm", "m0000004.htm", "menu.html", "index.html"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(a.out.read(name), plain.out.read(name));
  }
  EXPECT_FALSE(fs::exists(a.out / "feed.xml")) << "no address, no feed";

  // And on again: the links come back.
  a.ws.set.NAV_LNK = true;
  ASSERT_TRUE(a.run({a.app.write("empty.mbx", "")}));
  a.expect_links({{"m0000001.htm", {"", "m0000003.htm", "", "m0000002.htm"}}});
}

}  // namespace
