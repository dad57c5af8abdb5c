#include "run/line_lists.h"

#include <gtest/gtest.h>

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

std::string line(const char* date, const char* id, const char* page) {
  return std::string(date) + "\ts\tf\t" + id + "\t\t" + page + "\t0";
}

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

}  // namespace
