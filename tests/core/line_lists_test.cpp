#include "core/line_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "codec/sjis_text.h"
#include "support/record_text.h"

namespace {

std::vector<std::string> all(const SortedLines& s) {
  std::vector<std::string> v;
  for (std::size_t i = 0; i < s.count(); ++i) v.push_back(s.at(i));
  return v;
}

TEST(SortedLines, OrderIgnoresCaseKeepsEqualLinesTogetherAndSortsOnEveryRead) {
  SortedLines s;
  for (const char* l : {"b", "Alpha", "alpha", "ALPHA", "alpha", "2004-01-02", "2004-01-01"}) s.add(l);
  EXPECT_EQ(all(s), (std::vector<std::string>{"2004-01-01", "2004-01-02", "ALPHA", "Alpha", "alpha", "alpha", "b"}));
  s.add("a");  // added after a read: still in its place
  s.add("c");
  EXPECT_EQ(s.at(2), "a");
  EXPECT_EQ(s.at(8), "c");
  s.remove(2);
  EXPECT_EQ(s.at(2), "ALPHA");
  s.clear();
  EXPECT_EQ(s.count(), 0u);
}

TEST(SortedLines, SecondByteOfADoubleByteCharacterIsNotFolded) {
  SortedLines s;
  s.add("\x83\x61");  // ヂ: second byte "a"
  s.add("\x83\x41");  // ア: second byte "A"
  EXPECT_EQ(s.at(0), "\x83\x41");
  EXPECT_EQ(s.at(1), "\x83\x61");
}

std::string text(const char* date, const char* id, const char* page) {
  return std::string(date) + "\ts\tf\t" + id + "\t\t" + page + "\t0";
}
MessageRecord line(const char* date, const char* id, const char* page) { return Record_Of(text(date, id, page)); }

TEST(WorkList, TakeByIdFindsTheFirstInListOrderAndNeverAnEmptyId) {
  WorkList w;
  w.add(line("2004-01-03", "<a>", "m3"));
  w.add(line("2004-01-01", "<a>", "m1"));
  w.add(line("2004-01-02", "", "m2"));
  w.add(line("2004-01-04", "", "m4"));
  EXPECT_FALSE(w.take_by_id(""));
  EXPECT_EQ(w.take_by_id("<a>"), line("2004-01-01", "<a>", "m1"));
  EXPECT_EQ(w.take_by_id("<a>"), line("2004-01-03", "<a>", "m3"));
  EXPECT_FALSE(w.take_by_id("<a>"));
  ASSERT_EQ(w.count(), 2u);
  EXPECT_EQ(w.at(0), line("2004-01-02", "", "m2"));
  w.remove(0);
  EXPECT_EQ(w.at(0), line("2004-01-04", "", "m4"));
}

// Adds, takes, removes and reads in random order against a plain sorted
// vector: the list must always read as the model does.
TEST(WorkList, RandomOperationsMatchASortedModel) {
  std::mt19937 rng(7);
  WorkList w;
  std::vector<std::pair<std::string, std::uint64_t>> model;
  std::uint64_t seq = 0;
  auto less = [](const auto& a, const auto& b) {
    int c = sjis::compare_nocase(a.first, b.first);
    if (c != 0) return c < 0;
    c = a.first.compare(b.first);
    return c != 0 ? c < 0 : a.second < b.second;
  };
  auto id_of = [](const std::string& l) { return l.substr(l.find('\t', l.find('\t', l.find('\t') + 1) + 1) + 1, 3); };
  const char* dates[] = {"2004-01-01", "2004-01-02", "2004-01-03", "2004-01-01"};
  const char* ids[] = {"<a>", "<b>", "<c>", "<A>"};
  for (int step = 0; step < 3000; ++step) {
    SCOPED_TRACE(step);
    const int op = static_cast<int>(rng() % 10);
    if (op < 5) {
      std::string l = text(dates[rng() % 4], ids[rng() % 4], ("m" + std::to_string(rng() % 50)).c_str());
      w.add(Record_Of(l));
      model.emplace_back(l, seq++);
      std::sort(model.begin(), model.end(), less);
    } else if (op < 8) {
      const std::string id = ids[rng() % 4];
      auto it = std::find_if(model.begin(), model.end(), [&](const auto& e) { return id_of(e.first) == id; });
      std::optional<MessageRecord> got = w.take_by_id(id);
      if (it == model.end()) {
        ASSERT_FALSE(got);
      } else {
        ASSERT_TRUE(got);
        ASSERT_EQ(Record_Text(*got), it->first);
        model.erase(it);
      }
    } else if (op == 8 && !model.empty()) {
      const std::size_t i = rng() % model.size();
      w.remove(i);
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ASSERT_EQ(w.count(), model.size());
      for (std::size_t i = 0; i < model.size(); ++i) ASSERT_EQ(Record_Text(w.at(i)), model[i].first);
    }
  }
}

// The stored sort key must order lines exactly as the full comparison does:
// texts of letters in both cases, lead and trail bytes, NUL and prefixes of
// one another, around the sixteen bytes the key holds.
TEST(SortedLines, OrderMatchesTheFullComparisonForTrickyBytes) {
  std::mt19937 rng(11);
  const std::string alphabet[] = {"a",        "A",        "z",        "Z",    "[",    "0",    std::string(1, '\0'),
                                  "\x83\x41", "\x83\x61", "\x95\x5C", "\x81", "\xE0", "\x7F", " "};
  std::vector<std::string> texts;
  for (int k = 0; k < 2000; ++k) {
    std::string t = k % 3 == 0 ? "2004-01-01 12:3" : "";
    const std::size_t len = rng() % 14;
    for (std::size_t c = 0; c < len; ++c) t += alphabet[rng() % std::size(alphabet)];
    texts.push_back(t);
  }
  SortedLines s;
  for (const std::string& t : texts) s.add(t);
  std::vector<std::pair<std::string, std::size_t>> want;
  for (std::size_t k = 0; k < texts.size(); ++k) want.emplace_back(texts[k], k);
  std::sort(want.begin(), want.end(), [](const auto& a, const auto& b) {
    int c = sjis::compare_nocase(a.first, b.first);
    if (c != 0) return c < 0;
    c = a.first.compare(b.first);
    return c != 0 ? c < 0 : a.second < b.second;
  });
  ASSERT_EQ(s.count(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) ASSERT_EQ(s.at(i), want[i].first) << i;
}

}  // namespace
