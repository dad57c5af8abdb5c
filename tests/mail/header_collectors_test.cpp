#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/header_fields.h"
#include "run/common_text.h"

namespace {

using Lines = std::vector<std::string>;

// "テスト", "です" and "山田" as encoded words.
const std::string kTesuto = "=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=";
const std::string kDesu = "=?ISO-2022-JP?B?GyRCJEckORsoQg==?=";
const std::string kYamadaSjis = "=?SHIFT_JIS?B?jlKTYw==?=";

struct FoldRow {
  const char* name;
  Lines lines;
  std::string expected;
  std::size_t last_index;  // index after the collector
};

std::string line_of(const std::string& date, const std::string& id, const std::string& page) {
  return date + "\tsubj\tfrom\t" + id + "\t\t" + page + "\t0";
}

}  // namespace

TEST(GetSubject, Table) {
  const FoldRow rows[] = {
      {"plain", {"Subject: hello", "From: a@b"}, " hello", 0},
      {"encoded word continued on an indented line",
       {"Subject: " + kTesuto, " " + kDesu, "To: x"},
       " " + sj("テスト") + sj("です"),
       1},
      {"TAB-folded continuation", {"Subject: " + kTesuto, "\t" + kDesu}, " " + sj("テスト") + sj("です"), 1},
      {"plain continuation joined without a space", {"Subject: long", " subject text", ""}, " longsubject text", 1},
      {"X- header ends the subject", {"Subject: hello", "X-Mailer: Foo 1.0"}, " hello", 0},
      {"blank line ends the subject", {"Subject: hello", "", "body"}, " hello", 0},
      {"unlisted field ends the subject", {"Subject: hello", "Organization: Foo"}, " hello", 0},
      {"TABs removed", {"Subject:\thello\tworld"}, "helloworld", 0},
      {"Shift_JIS encoded word", {"Subject: " + kYamadaSjis}, " " + sj("山田"), 0},
      {"trail bytes kept", {"Subject: " + sj("[表ー] 表示"), "X-A: 1"}, sj(" [表ー] 表示"), 0},
      {"last line of the store", {"Subject: a", " b"}, " ab", 1},
  };
  for (const FoldRow& r : rows) {
    SCOPED_TRACE(r.name);
    MessageValues m;
    std::size_t i = 0;
    Get_Subject(r.lines, i, "in.mbx", m);
    EXPECT_EQ(m.subject, r.expected);
    EXPECT_EQ(i, r.last_index);
  }
}

TEST(GetFrom, Table) {
  const FoldRow rows[] = {
      {"plain keeps its leading space", {"From: Taro <t@x>"}, " Taro <t@x>", 0},
      {"encoded name, address folded", {"From: " + kYamadaSjis, "\t<y@x>", "To: z"}, " " + sj("山田") + "<y@x>", 1},
      {"every TAB removed", {"From:\tTaro\t<t@x>"}, "Taro<t@x>", 0},
      {"Cc is not glued to the sender", {"From: Taro <t@x>", "Cc: Hanako <h@x>"}, " Taro <t@x>", 0},
      {"separator in a txt file ends it", {"From: a", "--------"}, " a", 0},
  };
  for (const FoldRow& r : rows) {
    SCOPED_TRACE(r.name);
    MessageValues m;
    std::size_t i = 0;
    Get_From(r.lines, i, "in.txt", m);
    EXPECT_EQ(m.from, r.expected);
    EXPECT_EQ(i, r.last_index);
  }
}

TEST(GetFrom, AnyNumberOfContinuationLines) {
  Lines lines{"From: start"};
  const std::string long_part(100000, 'x');
  for (int k = 0; k < 5000; ++k) lines.push_back(" " + std::string(k == 0 ? long_part : "y"));
  lines.push_back("");
  MessageValues m;
  std::size_t i = 0;
  Get_From(lines, i, "in.mbx", m);
  EXPECT_EQ(i, 5000u);
  EXPECT_EQ(m.from.size(), 6 + 100000 + 4999u);
}

TEST(GetDate, Table) {
  struct Row {
    const char* name;
    std::string line, expected;
  } rows[] = {
      {"+0000", "Date: Mon, 1 Jan 2001 12:00:00 +0000", "2001-01-01 21:00:00"},
      {"+0900", "Date: Mon, 1 Jan 2001 12:00:00 +0900", "2001-01-01 12:00:00"},
      {"JST", "Date: Mon, 1 Jan 2001 12:00:00 JST", "2001-01-01 12:00:00"},
      {"(JST)", "Date: Mon, 1 Jan 2001 12:00:00 (JST)", "2001-01-01 12:00:00"},
      {"no zone", "Date: Mon, 1 Jan 2001 12:00:00", "2001-01-01 12:00:00"},
      {"+0900 (JST)", "Date: Mon, 1 Jan 2001 12:00:00 +0900 (JST)", "2001-01-01 12:00:00"},
      {"-0700 next day", "Date: Mon, 1 Jan 2001 12:00:00 -0700", "2001-01-02 04:00:00"},
      {"MST next day", "Date: Mon, 1 Jan 2001 12:00:00 MST", "2001-01-02 04:00:00"},
      {"(MST)", "Date: Mon, 1 Jan 2001 12:00:00 (MST)", "2001-01-02 04:00:00"},
      {"GMT", "Date: Mon, 1 Jan 2001 12:00:00 GMT", "2001-01-01 21:00:00"},
      {"+0000 (GMT)", "Date: Mon, 1 Jan 2001 12:00:00 +0000 (GMT)", "2001-01-01 21:00:00"},
      {"EST is five hours behind UTC", "Date: Mon, 1 Jan 2001 12:00:00 EST", "2001-01-02 02:00:00"},
      {"zone minutes count", "Date: Mon, 1 Jan 2001 12:00:00 +0530", "2001-01-01 15:30:00"},
      {"lower-case month, no weekday", "Date: 1 jan 2001 12:00 +0000", "2001-01-01 21:00:00"},
      {"two-digit year", "Date: 1 Jan 01 12:00:00 +0000", "2001-01-01 21:00:00"},
      {"year crossing", "Date: Tue, 31 Dec 2002 20:00:00 -0500", "2003-01-01 10:00:00"},
      {"into a leap day", "Date: Thu, 28 Feb 2008 20:00:00 -0300", "2008-02-29 08:00:00"},
      {"TAB after the name", "Date:\tMon, 1 Jan 2001 12:00:00 +0000", "2001-01-01 21:00:00"},
      {"PM before the zone", "Date: Mon, 1 Jan 2001 1:00 PM +0000", "2001-01-01 22:00:00"},
      {"date without time", "Date: Mon, 1 Jan 2001", "2001-01-01 00:00:00"},
      {"numeric form", "Date: 2001/01/02 03:04:05", "2001-01-02 03:04:05"},
      {"unreadable, no zone", "Date: garbage", "garbage"},
      {"unreadable with a foreign zone is kept", "Date: someday soon +0000", "someday soon +0000"},
      {"unreadable with weekday and zone", "Date: Mon, 32 Jan 2001 12:00:00 -0700", "Mon, 32 Jan 2001 12:00:00 -0700"},
      {"TAB in an unreadable date", "Date: foo\tbar ", "foo bar"},
      {"double-byte text", "Date: " + sj("２００１年１月１日"), sj("２００１年１月１日")},
      {"empty", "Date:", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    MessageValues m;
    EXPECT_NO_THROW(Get_Date(r.line, m));
    EXPECT_EQ(m.date, r.expected);
  }
}

TEST(GetMessageID, Extraction) {
  struct Row {
    const char* name;
    const char* line;
    const char* expected;
  } rows[] = {
      {"brackets", "Message-ID: <a@b>", "<a@b>"},
      {"comment after", "Message-Id:   <a@b> (added)", "<a@b>"},
      {"TAB after the name", "Message-ID:\t<a@b>", "<a@b>"},
      {"no brackets", "Message-ID:  a@b  ", "a@b"},
      {"> before <", "Message-ID: x> <a@b", "x> <a@b"},
      {"> before < and a full id", "Message-ID: > <a@b>", "> <a@b>"},
      {"empty", "Message-ID:", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    WorkList wl;
    MessageValues m;
    Get_MessageID(r.line, wl, m);
    EXPECT_EQ(m.message_id, r.expected);
    EXPECT_FALSE(m.duplicate);
  }
}

TEST(GetMessageID, DuplicateTakesOverTheEarlierPage) {
  WorkList wl;
  wl.add(line_of("2001-01-01 10:00:00", "<other@x>", "/out/m0000001.htm"));
  wl.add(line_of("2001-01-02 10:00:00", "<same@x>", "/out/m0000002.htm"));
  wl.add(line_of("2001-01-03 10:00:00", "<same@x>", "m0000003.htm"));
  MessageValues m;
  m.reused_page = "stale";
  Get_MessageID("Message-ID: <same@x>", wl, m);
  EXPECT_TRUE(m.duplicate);
  EXPECT_EQ(m.reused_page, "m0000002.htm");  // the first entry in list order
  ASSERT_EQ(wl.count(), 2u);
  EXPECT_EQ(Split_Work_Line(wl.at(1)).page, "m0000003.htm");

  // Ids compare exactly: another case is another id.
  MessageValues m2;
  m2.duplicate = true;
  Get_MessageID("Message-ID: <SAME@x>", wl, m2);
  EXPECT_FALSE(m2.duplicate);
  EXPECT_EQ(m2.reused_page, "");
  EXPECT_EQ(wl.count(), 2u);
}

TEST(GetMessageID, EmptyIdNeverMatches) {
  WorkList wl;
  wl.add(line_of("2001-01-01 10:00:00", "", "/out/m0000001.htm"));
  MessageValues m;
  Get_MessageID("Message-ID:", wl, m);
  EXPECT_FALSE(m.duplicate);
  EXPECT_EQ(wl.count(), 1u);
}

TEST(GetParent, Table) {
  struct Row {
    const char* name;
    Lines lines;
    std::size_t start;  // index of the field line
    std::string parent_before, expected;
    std::size_t last_index;
  } rows[] = {
      {"in-reply-to", {"In-Reply-To: <a@x>"}, 0, "", "<a@x>", 0},
      {"references keeps the last id", {"References: <a@x> <b@x>"}, 0, "", "<b@x>", 0},
      {"references over three lines", {"References: <a@x>", "   <b@x>", "   <c@x>", "Subject: s"}, 0, "", "<c@x>", 2},
      {"TAB-folded references", {"References: <a@x>", "\t<b@x>", "\t<c@x>"}, 0, "", "<c@x>", 2},
      {"references after in-reply-to ignored", {"References: <r@x>", " <s@x>"}, 0, "<i@x>", "<i@x>", 0},
      {"in-reply-to after references wins", {"IN-REPLY-TO: <i@x>"}, 0, "<r@x>", "<i@x>", 0},
      {"id on the next line", {"In-Reply-To:", "  <a@x>", "Subject: s"}, 0, "", "<a@x>", 1},
      {"phrase then id", {"In-Reply-To: Your message of \"Mon, 1 Jan 2001\" <a@x>"}, 0, "", "<a@x>", 0},
      {"id then comment", {"In-Reply-To: <a@x> (message of Mon, 1 Jan 2001 12:00:00)"}, 0, "", "<a@x>", 0},
      {"no id at all", {"In-Reply-To: nothing here", "Subject: s"}, 0, "", "", 0},
      {"blank line after an empty field stays", {"In-Reply-To:", "", "body"}, 0, "", "", 0},
      {"header line after an empty field stays", {"In-Reply-To:", "Subject: s"}, 0, "", "", 0},
      {"field in the middle", {"To: t", "References: <a@x>", " <b@x>", "From: f"}, 1, "", "<b@x>", 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    MessageValues m;
    m.parent_id = r.parent_before;
    std::size_t i = r.start;
    Get_Parent(r.lines, i, m);
    EXPECT_EQ(m.parent_id, r.expected);
    EXPECT_EQ(i, r.last_index);
  }
}
