// The search collector, on a thread of its own and on the caller's: the
// entries of a message and of one re-sent, the tokens' entries (a word
// wrapped onto the next line, attachments' names), and both ways the same;
// lists moved to the spill file and read back whole, in shard order.
#include "archive/search_collect.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "archive/search_files.h"
#include "codec/cp932.h"
#include "support/temp_dir.h"

namespace {

struct Message {
  std::uint32_t page;
  std::string subject, sender;  // UTF-8
  std::vector<std::string> lines;
  std::vector<std::string> names = {};
};

std::vector<Message> messages() {
  std::vector<Message> m = {
      {1, "会議室の予約", "山田 <taro@example.jp>", {"東京で打ち合", "わせます"}},
      {2, "offline meeting", "Alice <alice@example.com>", {"See you"}, {"report.pdf"}},
      {3, "東京", "x@example.jp", {"花火"}},
      {1, "予定", "山田 <taro@example.jp>", {"京都"}},  // page 1 sent again
  };
  // More than a batch of the thread's queue.
  for (std::uint32_t k = 0; k < 300; ++k) m.push_back({4 + k, "number", "y@example.jp", {"item " + std::to_string(k)}});
  return m;
}

// Every token with its entries, after settle().
using Collected = std::map<std::string, std::vector<std::uint32_t>>;

Collected collect(SearchCollector& c) {
  for (const Message& m : messages()) {
    TextLines lines;
    for (const std::string& l : m.lines) lines.push_back(cp932::from_utf8(l));
    std::vector<std::string> names = {""};
    for (const std::string& n : m.names) names.push_back(cp932::from_utf8(n));
    c.add(m.page, cp932::from_utf8(m.subject), cp932::from_utf8(m.sender), lines, attach_list(names));
  }
  c.settle();
  Collected out;
  for (std::size_t t = 0; t < c.tokens(); ++t) {
    std::vector<std::uint32_t>& entries = out[std::string(c.token(t))];
    c.for_each_entry(t, [&](std::uint32_t e) { entries.push_back(e); });
  }
  return out;
}

TEST(SearchCollector, CollectsAlikeOnItsOwnThreadAndOnTheCallers) {
  std::map<bool, Collected> by_mode;
  std::map<bool, std::vector<std::uint64_t>> hashes;
  for (const bool own_thread : {false, true}) {
    SCOPED_TRACE(own_thread ? "own thread" : "caller's thread");
    SearchCollector c(own_thread);
    const Collected got = collect(c);
    EXPECT_EQ(c.entries(), 304u);
    EXPECT_EQ(c.entry_of(1), 3);  // the later copy
    EXPECT_EQ(c.entry_of(2), 1);
    EXPECT_EQ(c.entry_of(303), 303);
    EXPECT_EQ(c.entry_of(304), -1);
    EXPECT_EQ(c.entry_of(0), -1);
    const struct {
      const char* token;
      std::vector<std::uint32_t> entries;
    } rows[] = {
        {"東京", {0, 2}}, {"会議", {0}},    {"合わ", {0}},    // wrapped onto the next line
        {"京都", {3}},    {"meeting", {1}}, {"report", {1}},  // an attachment's name
        {"pdf", {1}},     {"299", {303}},
    };
    for (const auto& r : rows) {
      SCOPED_TRACE(r.token);
      const auto it = got.find(r.token);
      ASSERT_NE(it, got.end());
      EXPECT_EQ(it->second, r.entries);
    }
    ASSERT_TRUE(got.count("item"));
    EXPECT_EQ(got.at("item").size(), 300u);
    by_mode[own_thread] = got;
    for (std::size_t e = 0; e < c.entries(); ++e) hashes[own_thread].push_back(c.entry_hash(e));
  }
  EXPECT_EQ(by_mode[false], by_mode[true]);
  EXPECT_EQ(hashes[false], hashes[true]);
  // The same text gives the same hash; another text another.
  EXPECT_NE(hashes[true][0], hashes[true][3]);
}

// Each character of a run is on the list of every message that holds it,
// also where the pair it begins comes again in the message, or only later,
// or where it only ends a run.
TEST(SearchCollector, EveryCharacterOfARunIsListedWhereItsPairsRepeat) {
  const std::vector<std::vector<std::string>> bodies = {
      {"会議会議"},      // the pair 会議 twice
      {"議会", "会議"},  // wrapped: 議会会議, one run
      {"ああ"},          // a pair of one character twice
      {"議"},            // a run of one
      {"会議。議会"},    // two runs
      {"議会"},          // 会 only ends the run
  };
  SearchCollector c(false);
  for (std::uint32_t e = 0; e < bodies.size(); ++e) {
    TextLines lines;
    for (const std::string& l : bodies[e]) lines.push_back(cp932::from_utf8(l));
    c.add(e + 1, "", "", lines, attach_list({""}));
  }
  c.settle();
  Collected got;
  for (std::size_t t = 0; t < c.tokens(); ++t)
    c.for_each_entry(t, [&](std::uint32_t e) { got[std::string(c.token(t))].push_back(e); });
  const Collected expected = {
      {"会", {0, 1, 4, 5}}, {"議", {0, 1, 3, 4, 5}}, {"会議", {0, 1, 4}}, {"議会", {0, 1, 4, 5}}, {"会会", {1}},
      {"あ", {2}},          {"ああ", {2}},
  };
  for (const auto& [token, entries] : expected) {
    SCOPED_TRACE(token);
    ASSERT_TRUE(got.count(token));
    EXPECT_EQ(got.at(token), entries);
  }
  EXPECT_EQ(got.size(), expected.size());
}

// Entry i holds the word "w<j>" for each j of these that divides i, and
// "far" only first and last: steps of one byte and of two, lists that miss
// many runs of the spill file, and one across all of them.
constexpr std::uint32_t kSpilledEntries = 3000;
const std::uint32_t kSteps[] = {1, 2, 7, 128, 997};

void add_stepped(SearchCollector& c) {
  for (std::uint32_t i = 0; i < kSpilledEntries; ++i) {
    TextLines lines;
    for (const std::uint32_t j : kSteps)
      if (i % j == 0) lines.push_back("w" + std::to_string(j));
    if (i == 0 || i + 1 == kSpilledEntries) lines.push_back("far");
    c.add(i + 1, "s", "x", lines, attach_list({""}));
  }
  c.settle();
}

TEST(SearchCollector, ListsMovedToTheSpillFileReadBackWhole) {
  const struct {
    const char* name;
    bool spill, own_thread;
  } rows[] = {
      {"kept in memory", false, false},
      {"spilled before every message", true, false},
      {"spilled on the collector's thread", true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    SearchCollector c(row.own_thread);
    if (row.spill) c.spill_to(dir / "srch", 0);
    add_stepped(c);
    EXPECT_EQ(c.spills() > 0, row.spill);
    if (row.spill) {
      // The spill file is gone from the folder while it is in use.
      EXPECT_TRUE(std::filesystem::is_empty(dir / "srch"));
    }
    Collected got;
    for (const std::uint32_t t : c.tokens_in_order()) {
      std::vector<std::uint32_t>& entries = got[std::string(c.token(t))];
      c.for_each_entry(t, [&](std::uint32_t e) { entries.push_back(e); });
    }
    EXPECT_TRUE(c.lists_read());
    for (const std::uint32_t j : kSteps) {
      SCOPED_TRACE(j);
      std::vector<std::uint32_t> want;
      for (std::uint32_t i = 0; i < kSpilledEntries; i += j) want.push_back(i);
      EXPECT_EQ(got["w" + std::to_string(j)], want);
    }
    EXPECT_EQ(got["far"], (std::vector<std::uint32_t>{0, kSpilledEntries - 1}));
  }
}

TEST(SearchCollector, NoMessageIsTakenOnceTheListsAreClosed) {
  SearchCollector c(false);
  add_stepped(c);
  EXPECT_THROW(c.add(kSpilledEntries + 1, "late", "x", TextLines{}, attach_list({""})), std::logic_error);
  EXPECT_EQ(c.entries(), kSpilledEntries);
}

TEST(SearchCollector, ATokenLeftUnaskedLeavesTheSpillFileUnread) {
  TempDir dir;
  SearchCollector c(false);
  c.spill_to(dir.path(), 0);
  add_stepped(c);
  const std::vector<std::uint32_t> order = c.tokens_in_order();
  for (const std::uint32_t t : order)
    if (c.token(t) != "w1") c.for_each_entry(t, [](std::uint32_t) {});
  EXPECT_FALSE(c.lists_read());
}

TEST(SearchCollector, TokensOfAShardComeTogether) {
  SearchCollector c(false);
  TextLines lines;
  for (int k = 0; k < 5000; ++k) lines.push_back("t" + std::to_string(k));
  c.add(1, "", "", lines, attach_list({""}));
  c.settle();
  const std::vector<std::uint32_t> order = c.tokens_in_order();
  ASSERT_EQ(order.size(), c.tokens());
  EXPECT_EQ(std::set<std::uint32_t>(order.begin(), order.end()).size(), order.size());
  for (std::uint32_t shards = 1; shards <= kMaxShards; shards *= 2) {
    SCOPED_TRACE(shards);
    std::set<std::uint32_t> done;
    std::uint32_t last = shard_of(c.token(order[0]), shards);
    for (const std::uint32_t t : order) {
      const std::uint32_t k = shard_of(c.token(t), shards);
      if (k == last) continue;
      ASSERT_TRUE(done.insert(last).second) << "shard " << last << " comes twice";
      last = k;
    }
    EXPECT_FALSE(done.count(last)) << "shard " << last << " comes twice";
  }
}

// The words' table tells words apart by 32 bits of a hash and then by their
// text: among 400,000 words some share those bits, and each must still be a
// token of its own, with its own message.
TEST(SearchCollector, WordsWhoseHashesMeetStayApart) {
  SearchCollector c(false);
  constexpr std::uint32_t kMessages = 400, kWords = 1000;
  for (std::uint32_t m = 0; m < kMessages; ++m) {
    TextLines lines;
    for (std::uint32_t k = 0; k < kWords; ++k) {
      const std::uint32_t n = m * kWords + k;
      // Short words and words of more than eight bytes.
      lines.push_back((n % 2 ? "w" : "longerwordx") + std::to_string(n));
    }
    c.add(m + 1, "", "", lines, attach_list({""}));
  }
  c.settle();
  ASSERT_EQ(c.tokens(), std::size_t{kMessages} * kWords);
  for (std::size_t t = 0; t < c.tokens(); ++t) {
    const std::string_view text = c.token(t);
    const std::uint32_t n =
        static_cast<std::uint32_t>(std::stoul(std::string(text.substr(text.find_first_of("0123456789")))));
    std::vector<std::uint32_t> entries;
    c.for_each_entry(t, [&](std::uint32_t e) { entries.push_back(e); });
    ASSERT_EQ(entries, std::vector<std::uint32_t>{n / kWords}) << text;
  }
}

}  // namespace
