#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/common_text.h"
#include "mail/header_fields.h"

namespace {

// "テスト", "です" and "山田" as encoded words.
const std::string kTesuto = "=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=";
const std::string kDesu = "=?ISO-2022-JP?B?GyRCJEckORsoQg==?=";
const std::string kYamadaSjis = "=?SHIFT_JIS?B?jlKTYw==?=";

MessageRecord line_of(const std::string& date, const std::string& id, const std::string& page) {
  return MessageRecord(date, "subj", "from", id, "", page, "0");
}

}  // namespace

TEST(GetSubjectAndFrom, DecodedWithoutTabsOrLineBreaks) {
  struct Row {
    const char* name;
    std::string value, expected;
  } rows[] = {
      {"plain", "hello", "hello"},
      {"adjacent encoded words join without their blank", kTesuto + " " + kDesu, sj("テスト") + sj("です")},
      {"unfolded plain text keeps its blank", "Now Available!", "Now Available!"},
      {"TABs removed", "hello\tworld", "helloworld"},
      {"Shift_JIS encoded word", kYamadaSjis, sj("山田")},
      {"trail bytes kept", sj("[表ー] 表示"), sj("[表ー] 表示")},
      {"encoded name and address", kYamadaSjis + " <y@x>", sj("山田") + " <y@x>"},
      // "=0D=0A=09" in a Q word: the line break is read as one blank, the TAB dropped.
      {"CR LF TAB out of an encoded word", "=?US-ASCII?Q?a=0D=0Ab=09c?=", "a bc"},
      {"TAB beside double-byte text", sj("表") + "\t" + sj("示"), sj("表示")},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    MessageValues m;
    get_subject(r.value, m);
    EXPECT_EQ(m.subject, r.expected);
    get_from(r.value, m);
    EXPECT_EQ(m.from, r.expected);
  }
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
      {"three-digit zone is hours and minutes", "Date: Mon, 21 Aug 95 13:30:57 -600", "1995-08-22 04:30:57"},
      {"three-digit zone with minutes", "Date: Mon, 1 Jan 2001 12:00:00 +530", "2001-01-01 15:30:00"},
      {"three-digit zone east", "Date: Mon, 1 Jan 2001 12:00:00 +900", "2001-01-01 12:00:00"},
      {"comment alone is no zone", "Date: 8 Dec 1991 09:11 (Sunday)", "1991-12-08 09:11:00"},
      {"comment alone after seconds", "Date: Sun, 8 Dec 1991 09:11:05 (Sunday)", "1991-12-08 09:11:05"},
      {"unclosed comment is no zone", "Date: Mon, 1 Jan 2001 12:00:00 (Monday", "2001-01-01 12:00:00"},
      {"zone after a comment counts", "Date: Mon, 1 Jan 2001 12:00:00 (Monday) +0000", "2001-01-01 21:00:00"},
      {"comment after a zone", "Date: Mon, 1 Jan 2001 12:00:00 -0500 (Monday)", "2001-01-02 02:00:00"},
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
    EXPECT_NO_THROW(get_date(r.line.substr(5), m));
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
      {"> before < and a full id: the id", "Message-ID: > <a@b>", "<a@b>"},
      {"empty", "Message-ID:", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    WorkList wl;
    MessageValues m;
    get_message_id(std::string_view(r.line).substr(std::string_view(r.line).find(':') + 1), wl, m);
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
  get_message_id(" <same@x>", wl, m);
  EXPECT_TRUE(m.duplicate);
  EXPECT_EQ(m.reused_page, "m0000002.htm");  // the first entry in list order
  ASSERT_EQ(wl.count(), 2u);
  EXPECT_EQ(wl.at(1).page_name(), "m0000003.htm");

  // Ids compare exactly: another case is another id.
  MessageValues m2;
  m2.duplicate = true;
  get_message_id("<SAME@x>", wl, m2);
  EXPECT_FALSE(m2.duplicate);
  EXPECT_EQ(m2.reused_page, "");
  EXPECT_EQ(wl.count(), 2u);
}

TEST(GetMessageID, EmptyIdNeverMatches) {
  WorkList wl;
  wl.add(line_of("2001-01-01 10:00:00", "", "/out/m0000001.htm"));
  MessageValues m;
  get_message_id("", wl, m);
  EXPECT_FALSE(m.duplicate);
  EXPECT_EQ(wl.count(), 1u);
}

TEST(GetParent, Table) {
  struct Row {
    const char* name;
    std::string in_reply_to, references, expected;
  } rows[] = {
      {"in-reply-to", "<a@x>", "", "<a@x>"},
      {"references keeps the last id", "", "<a@x> <b@x>", "<b@x>"},
      {"unfolded references over three lines", "", "<a@x>   <b@x>\t<c@x>", "<c@x>"},
      {"in-reply-to wins over references", "<i@x>", "<r@x> <s@x>", "<i@x>"},
      {"phrase then id", "Your message of \"Mon, 1 Jan 2001\" <a@x>", "", "<a@x>"},
      {"id then comment", "<a@x> (message of Mon, 1 Jan 2001 12:00:00)", "", "<a@x>"},
      {"no id in in-reply-to: references count", "nothing here", "<r@x>", "<r@x>"},
      {"no id at all", "nothing here", "", ""},
      {"bare id", "a@x", "", "a@x"},
      {"empty", "", "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    MessageValues m;
    m.parent_id = "stale";
    get_parent(r.in_reply_to, r.references, m);
    EXPECT_EQ(m.parent_id, r.expected);
  }
}
