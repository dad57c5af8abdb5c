// Links between message pages in whole runs: every page's neighbours by
// date and in its thread, appends that rewrite only the pages whose
// neighbours changed, and a re-sent message.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
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
  const char* parent;             // "" for none
  const char* time;               // hh:mm:ss on 5 Jan 2004, +0900
  const char* subject = nullptr;  // "subject of " id when null
};

std::string mailbox(std::initializer_list<Mail> mails) {
  std::string out;
  for (const Mail& m : mails) {
    out += "Date: Mon, 05 Jan 2004 " + std::string(m.time) + " +0900\r\n";
    out += "From: Sender " + std::string(m.id) + " <" + m.id + "@example.jp>\r\n";
    out += "Subject: " + (m.subject ? std::string(m.subject) : "subject of " + std::string(m.id)) + "\r\n";
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

std::string read_all(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

// Every file but the runs' hidden records is the same in both folders.
void expect_same_archives(const fs::path& got, const fs::path& want) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(want)) names.insert(e.path().filename().string());
  for (const auto& e : fs::directory_iterator(got)) names.insert(e.path().filename().string());
  for (const std::string& name : names) {
    if (name[0] == '.') continue;
    SCOPED_TRACE(name);
    ASSERT_TRUE(fs::exists(got / name)) << "missing from the appended archive";
    ASSERT_TRUE(fs::exists(want / name)) << "missing from the rebuilt archive";
    const std::string a = read_all(got / name), b = read_all(want / name);
    EXPECT_EQ(a, b);
    if (name.ends_with(".htm") && name[0] == 'm' && a != b) {
      EXPECT_EQ(page_links(a), page_links(b));
    }
  }
}

// Mailboxes of messages of a few threads, dated all over one day so that
// each batch lands between old messages by date as well as after them:
// replies to any earlier message (old threads change in their middle and
// at their end), new threads, equal dates, and messages sent again with a
// new date, which take the earlier one's page. With topics, the messages
// share a few subjects, so that subject threading joins threads too.
std::vector<std::string> random_batches(unsigned seed, int batches, bool topics) {
  std::uint32_t state = seed;
  const auto next = [&state](std::uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  std::vector<std::string> ids, parents, subjects, out;
  char time[16];
  for (int b = 0; b < batches; ++b) {
    std::string box;
    const int count = b == 0 ? 12 : 5;
    for (int i = 0; i < count; ++i) {
      std::string id, parent, subject;
      if (b > 0 && i == 0) {
        // An earlier message again: same Message-ID and parent, new date.
        const std::size_t k = next(static_cast<std::uint32_t>(ids.size()));
        id = ids[k];
        parent = parents[k];
        subject = subjects[k];
      } else {
        id = "r" + std::to_string(ids.size());
        if (!ids.empty() && next(4) != 0) parent = ids[next(static_cast<std::uint32_t>(ids.size()))];
        subject = topics ? "topic " + std::to_string(next(3)) : "subject of " + id;
        ids.push_back(id);
        parents.push_back(parent);
        subjects.push_back(subject);
      }
      std::snprintf(time, sizeof time, "%02u:%02u:00", next(24), next(3) * 20);
      box += mailbox({{id.c_str(), parent.c_str(), time, subject.c_str()}});
    }
    out.push_back(box);
  }
  return out;
}

TEST(PageLinksRun, AppendsOfMessagesAllOverTheArchiveEqualARebuildOfAllTheMail) {
  const struct {
    const char* name;
    bool lists, by_subject;
  } modes[] = {
      {"without thread lists", false, false},
      {"with thread lists", true, false},
      {"with thread lists, threads by subject too", true, true},
  };
  for (const auto& mode : modes) {
    for (unsigned seed : {1u, 2u, 3u}) {
      SCOPED_TRACE(std::string(mode.name) + ", seed " + std::to_string(seed));
      const bool lists = mode.lists;
      const std::vector<std::string> batches = random_batches(seed, 4, mode.by_subject);
      Archive a(lists);
      a.ws.set.S_TITLE = mode.by_subject;
      std::vector<std::string> files;
      for (std::size_t b = 0; b < batches.size(); ++b) {
        SCOPED_TRACE("after batch " + std::to_string(b));
        files.push_back(a.app.write("batch" + std::to_string(b) + ".mbx", batches[b]));
        ASSERT_TRUE(a.run({files.back()}));
        Archive whole(lists);
        whole.ws.set.S_TITLE = mode.by_subject;
        ASSERT_TRUE(whole.run(files));
        expect_same_archives(a.out.path(), whole.out.path());
        if (HasFatalFailure()) return;
      }
    }
  }
}

// The state the last run left, changed as a named case.
std::string without_nav_dates(const std::string& state) {
  std::string out;
  for (std::size_t at = 0; at < state.size();) {
    std::size_t end = state.find("\r\n", at);
    if (end == std::string::npos) end = state.size();
    std::string line = state.substr(at, end - at);
    if (line.starts_with("nav\t")) line.resize(line.rfind('\t'));  // the date is the last field
    out += line + "\r\n";
    at = end + 2;
  }
  return out;
}
std::string nav_lines_reversed(const std::string& state) {
  std::vector<std::string> head, nav;
  for (std::size_t at = 0; at < state.size();) {
    std::size_t end = state.find("\r\n", at);
    if (end == std::string::npos) end = state.size();
    std::string line = state.substr(at, end - at);
    (line.starts_with("nav\t") ? nav : head).push_back(line);
    at = end + 2;
  }
  std::string out;
  for (const std::string& l : head) out += l + "\r\n";
  for (auto l = nav.rbegin(); l != nav.rend(); ++l) out += *l + "\r\n";
  return out;
}

TEST(PageLinksRun, AnAppendAfterAStateWithoutDatesOrOrderStillEqualsARebuild) {
  const struct {
    const char* name;
    std::string (*change)(const std::string&);
  } cases[] = {
      {"nav lines of an earlier version, without dates", without_nav_dates},
      {"nav lines out of date order", nav_lines_reversed},
      {"no state", [](const std::string&) { return std::string(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Archive a(true);
    const std::string first = a.app.write("first.mbx", kFirst), second = a.app.write("second.mbx", kSecond);
    ASSERT_TRUE(a.run({first}));
    const std::string state = a.out.read(".vorn_htm.state");
    ASSERT_NE(state.find("nav\tm0000001.htm\t"), std::string::npos);
    const std::string changed = c.change(state);
    if (changed.empty())
      fs::remove(a.out / ".vorn_htm.state");
    else
      a.out.write(".vorn_htm.state", changed);
    ASSERT_TRUE(a.run({second}));
    Archive whole(true);
    ASSERT_TRUE(whole.run({first, second}));
    expect_same_archives(a.out.path(), whole.out.path());
  }
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
