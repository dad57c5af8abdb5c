// Subjects and quote marks holding kanji whose lead byte is 0x9F or one of
// 0xE0-0xEF, with second bytes "[", "]", "\", "|", ">"-like bytes or
// letters: the clean-up, the reduction for threading, the quote test, the
// menu's character count and subject threading must treat each as one
// character.
#include <gtest/gtest.h>

#include <string>

#include "archive/menu_comment.h"
#include "archive/menu_entry.h"
#include "archive/menu_page.h"
#include "archive/menu_reader.h"
#include "archive/message_page.h"
#include "archive_fixture.h"
#include "mail/header_fields.h"

namespace {

// 歇 歉 (lead 0x9F, second bytes "[" and "]"), 濬 烟 濔 (lead 0xE0, second
// bytes "\", "|", "]"), 靡 (lead 0xEA, second byte "r"), 熙 (0xEA 0xA4).
const std::string k9F5B = "\x9F\x5B", k9F5D = "\x9F\x5D";
const std::string kE05C = "\xE0\x5C", kE07C = "\xE0\x7C", kE05D = "\xE0\x5D";
const std::string kEA72 = "\xEA\x72", kEAA4 = "\xEA\xA4";

TEST(HighLeadSubjects, DelSubjOpt) {
  const struct {
    const char* name;
    std::string subject;
    bool kak, res;
    std::string shown;
  } rows[] = {
      {"] second byte is no closing bracket", "[ml:1] a" + k9F5D + "b", false, true, " a" + k9F5D + "b"},
      {"[ second byte is no opening bracket", k9F5B + "x" + kE05D + "y", false, true, k9F5B + "x" + kE05D + "y"},
      {"bracket part holding such kanji", "[" + k9F5D + kE05D + "]z", false, true, "z"},
      {"r second byte starts no re:", kEA72 + "e: x", true, false, kEA72 + "e: x"},
      {"re: before such a kanji", "Re: " + kEA72 + "e:", true, false, kEA72 + "e:"},
      {"backslash and bar second bytes", kE05C + kE07C + " [a]", false, false, kE05C + kE07C + " "},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    std::string subj = r.subject;
    EXPECT_EQ(Del_Subj_Opt(subj, r.kak, r.res), r.shown);
  }
}

TEST(HighLeadSubjects, TrimSubj) {
  const struct {
    const char* name;
    std::string subject, reduced;
  } rows[] = {
      {"] second byte cuts nothing", "a" + k9F5D + " b", "a" + k9F5D + " b"},
      {"cut after the real ]", "[x" + kE05D + "] " + k9F5D + "c", k9F5D + "c"},
      {"last real ] wins", "[a] [b" + k9F5D + "]  re: " + kEA72, kEA72},
      {"r second byte is no re:", kEA72 + "e:" + kEAA4, kEA72 + "e:" + kEAA4},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    std::string subj = r.subject;
    EXPECT_EQ(Trim_Subj(subj), r.reduced);
    EXPECT_EQ(subj, r.reduced);
  }
}

TEST(HighLeadSubjects, QuoteMarks) {
  const struct {
    const char* name;
    std::string marks, line;
    bool quote;
  } rows[] = {
      {"kanji mark", kEAA4 + ">", kEAA4 + " quoted", true},
      {"kanji mark, line of its second byte's ASCII", kE07C, "|x", false},
      {"ASCII mark, kanji whose second byte is |", ">|", kE07C + "x", false},
      {"lead byte before > stands alone", ">|", "\xE0>x", false},
      {"0x9F kanji mark", k9F5D, "  " + k9F5D + "x", true},
      {"] mark, kanji whose second byte is ]", "]", k9F5D, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Check_Reply(r.line, r.marks), r.quote);
  }
}

TEST(HighLeadSubjects, MenuCountsCharactersAndReadsTheSubjectBack) {
  ArchiveFixture f;
  const std::string subject = "[" + k9F5D + "] " + kE05C + kE07C + kEA72 + kEAA4 + " -->";
  // The subject goes in as raw Shift_JIS bytes.
  const MessageRecord work("2004-01-05 10:15:00", subject, "A <a@b>", "<a1>", "", "m0000001.htm", "0");
  std::string entry;
  menu_entry(entry, work, 0, f.ws.set);
  const std::string written = menu_comment::escape(subject);
  // The count is of the subject as written: "[歉]", a space, four kanji and " --&gt;".
  EXPECT_NE(entry.find("Subject_Len:" + std::to_string(3 + 1 + 4 + 7) + " / "), std::string::npos);
  EXPECT_NE(entry.find(" / Subj_Data:" + written + "-->"), std::string::npos);
  const MessageRecord back = read_menu_line(f.ws, entry);
  EXPECT_EQ(back.subject(), subject);
  EXPECT_EQ(back.page(), "m0000001.htm");
}

TEST(HighLeadSubjects, SubjectThreading) {
  const struct {
    const char* name;
    std::string first, second;
    bool linked;
  } rows[] = {
      {"same subject with Re:", k9F5D + " abc", "Re: " + k9F5D + " abc", true},
      {"same after the list tag", "[ml:1]" + kE05D + "x", "[ml:2] Re: " + kE05D + "x", true},
      // Cut after the "]" second bytes both would read "zz".
      {"] second bytes are no tag end", "a" + k9F5D + " zz", "b" + k9F5D + " zz", false},
      {"r second byte is no Re:", kEA72 + "e: q", "q", false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    ArchiveFixture f;
    f.ws.set.S_TITLE = true;
    const std::string subjects[] = {r.first, r.second};
    for (int i = 0; i < 2; ++i) {
      f.ws.work_list.add(MessageRecord("2004-01-05 10:15:0" + std::to_string(i), subjects[i], "A <a@b>",
                                       "<" + std::to_string(i) + ">", "", page_name(i + 1), "0"));
    }
    ASSERT_TRUE(Syosai_Make(f.ws));
    ASSERT_EQ(f.ws.syo_list.count(), 2u);
    EXPECT_EQ(Thread_Text(f.ws.syo_list.at(1)), r.linked ? "Z0000000Z0000001\t1" : "Z0000001\t1");
  }
}

}  // namespace
