#include "mail/mail_date.h"

#include <gtest/gtest.h>

#include <string>

#include "core/common_text.h"

namespace {

std::string stamp_of(const std::string& text) {
  auto d = parse_date(text);
  return d ? stamp_date(*d) : "(no date)";
}

struct ParseRow {
  const char* name;
  const char* text;
  const char* expected;
};

DateTime at(int y, int mo, int d, int h, int mi, int s) { return DateTime{y, mo, d, h, mi, s}; }

}  // namespace

TEST(ParseDate, Forms) {
  const ParseRow rows[] = {
      {"rfc with seconds", "1 Jan 2001 12:00:00", "2001-01-01 12:00:00"},
      {"rfc without seconds", "1 Jan 2001 12:00", "2001-01-01 12:00:00"},
      {"rfc two-digit year", "01 Feb 99 03:04:05", "1999-02-01 03:04:05"},
      {"rfc two-digit year 20xx", "3 Mar 07 10:00:00", "2007-03-03 10:00:00"},
      {"month name in any case", "5 DEC 2003 1:02:03", "2003-12-05 01:02:03"},
      {"full month name", "5 december 2003 23:59:59", "2003-12-05 23:59:59"},
      {"weekday tolerated", "Mon, 1 Jan 2001 12:00:00", "2001-01-01 12:00:00"},
      {"surrounding spaces", "  1 Jan 2001 12:00:00  ", "2001-01-01 12:00:00"},
      {"no time is midnight", "1 Jan 2001", "2001-01-01 00:00:00"},
      {"month first", "Jan 2, 2001 10:00:00", "2001-01-02 10:00:00"},
      {"asctime", "Jan  2 10:00:00 2001", "2001-01-02 10:00:00"},
      {"slashes", "2001/01/02 03:04:05", "2001-01-02 03:04:05"},
      {"dashes", "2001-01-02 03:04:05", "2001-01-02 03:04:05"},
      {"short numbers", "2001/1/2 3:04", "2001-01-02 03:04:00"},
      {"iso T", "2001-01-02T03:04:05", "2001-01-02 03:04:05"},
      {"pm", "1 Jan 2001 1:30 PM", "2001-01-01 13:30:00"},
      {"12 am", "1 Jan 2001 12:05 am", "2001-01-01 00:05:00"},
      {"leap day", "29 Feb 2004 00:00:00", "2004-02-29 00:00:00"},
      {"no leap day in 1900", "29 Feb 1900 00:00:00", "(no date)"},
      {"31 April", "31 Apr 2001 00:00:00", "(no date)"},
      {"hour 24", "1 Jan 2001 24:00:00", "(no date)"},
      {"garbage", "hello world", "(no date)"},
      {"empty", "", "(no date)"},
      {"time alone", "12:00:00", "(no date)"},
      {"zone left on", "1 Jan 2001 12:00:00 +0000", "(no date)"},
      {"unknown month", "1 Foo 2001 12:00:00", "(no date)"},
      {"month-first numbers", "01/02/2001", "(no date)"},
      {"mixed separators", "2001/01-02", "(no date)"},
      {"double-byte text", "\x82\x50\x8C\x8E", "(no date)"},
      // The stored form is read straight; its edges fall to the general
      // grammar, which reads or refuses them as before.
      {"stored form", "2004-02-29 23:59:59", "2004-02-29 23:59:59"},
      {"stored form, no 29 February", "2003-02-29 12:00:00", "(no date)"},
      {"stored form, second 60", "2004-01-01 12:00:60", "(no date)"},
      {"stored form, year 0", "0000-01-01 00:00:00", "(no date)"},
      {"stored form, month 13", "2004-13-01 00:00:00", "(no date)"},
      {"stored form with a letter", "2004-01-0a 00:00:00", "(no date)"},
      {"stored form's length, spaced otherwise", "2004-1-01  00:00:00", "2004-01-01 00:00:00"},
  };
  for (const ParseRow& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(stamp_of(r.text), r.expected);
  }
}

TEST(AddHours, CrossesCalendarBoundaries) {
  struct Row {
    const char* name;
    DateTime from;
    int hours;
    const char* expected;
  } rows[] = {
      {"same day", at(2001, 1, 1, 12, 0, 0), 9, "2001-01-01 21:00:00"},
      {"next day", at(2001, 1, 1, 19, 30, 15), 9, "2001-01-02 04:30:15"},
      {"month end", at(2001, 4, 30, 20, 0, 0), 5, "2001-05-01 01:00:00"},
      {"year end", at(2000, 12, 31, 23, 0, 0), 1, "2001-01-01 00:00:00"},
      {"into a leap day", at(2004, 2, 28, 23, 0, 0), 2, "2004-02-29 01:00:00"},
      {"over a leap day", at(2004, 2, 29, 23, 0, 0), 2, "2004-03-01 01:00:00"},
      {"no leap day 2100", at(2100, 2, 28, 23, 0, 0), 2, "2100-03-01 01:00:00"},
      {"backwards over a year", at(2001, 1, 1, 2, 0, 0), -3, "2000-12-31 23:00:00"},
      {"backwards to a leap day", at(2000, 3, 1, 0, 0, 0), -24, "2000-02-29 00:00:00"},
      {"many days", at(2001, 1, 1, 0, 0, 0), 24 * 365, "2002-01-01 00:00:00"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(stamp_date(add_hours(r.from, r.hours)), r.expected);
  }
  EXPECT_EQ(stamp_date(add_minutes(at(2001, 1, 1, 0, 10, 0), -30)), "2000-12-31 23:40:00");
}

// Each field zero-padded to its width, a year of any size whole.
TEST(StampDate, FieldsPaddedToTheirWidths) {
  const struct {
    const char* name;
    DateTime d;
    const char* expected;
  } rows[] = {
      {"usual", at(2024, 1, 2, 3, 4, 5), "2024-01-02 03:04:05"},
      {"short_year", at(5, 12, 31, 23, 59, 60), "0005-12-31 23:59:60"},
      {"year_of_two_digits", at(99, 10, 10, 10, 10, 10), "0099-10-10 10:10:10"},
      {"last_year_of_four", at(9999, 12, 31, 0, 0, 0), "9999-12-31 00:00:00"},
      {"year_of_five_digits", at(12345, 1, 1, 0, 0, 0), "12345-01-01 00:00:00"},
      {"negative_year", at(-1, 1, 1, 0, 0, 0), "-001-01-01 00:00:00"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(stamp_date(r.d), r.expected);
  }
}

TEST(FormatDate, Tokens) {
  // 2001-02-03 was a Saturday.
  const DateTime d = at(2001, 2, 3, 14, 5, 9);
  const DateTime morning = at(2001, 2, 3, 0, 7, 0);
  struct Row {
    const char* name;
    DateTime d;
    std::string pattern, expected;
  } rows[] = {
      {"default pattern", d, "yyyy-mm-dd hh:nn:ss", "2001-02-03 14:05:09"},
      {"default pattern, year of three digits", at(987, 11, 2, 3, 4, 5), "yyyy-mm-dd hh:nn:ss", "0987-11-02 03:04:05"},
      {"default pattern in capitals", d, "YYYY-MM-DD HH:NN:SS", "2001-02-03 14:05:09"},
      {"default pattern with minutes as mm", d, "yyyy-mm-dd hh:mm:ss", "2001-02-03 14:05:09"},
      {"short numbers", d, "yy/m/d h:n:s", "01/2/3 14:5:9"},
      {"month names", d, "mmm mmmm", "Feb February"},
      {"weekday names", d, "ddd dddd", "Sat Saturday"},
      {"mm after hh is minutes", d, "hh:mm", "14:05"},
      {"m after h is minutes", d, "h m", "14 5"},
      {"mm before any hour is the month", d, "mm hh", "02 14"},
      {"hour then day then mm is the month", d, "hh dd mm", "14 03 02"},
      {"AM/PM afternoon", d, "h:nn AM/PM", "2:05 PM"},
      {"am/pm lower case, midnight", morning, "hh:nn am/pm", "12:07 am"},
      {"upper-case tokens", d, "YYYY-MM-DD", "2001-02-03"},
      {"literals kept", d, "[yyyy] at hh!", "[2001] at 14!"},
      {"lone y is literal", d, "y yyy", "y 01y"},
      {"empty pattern is the stored form", d, "", "2001-02-03 14:05:09"},
      // 年 ends in byte "N", 日 in 0xFA; neither is a token.
      {"double-byte literals", d, sj("yyyy年m月d日"), sj("2001年2月3日")},
      {"trail byte A is no AM/PM", d, sj("アM/PM") + " hh", sj("ア") + "2/P2 14"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(format_date(r.d, r.pattern), r.expected);
  }
}

TEST(RenderDate, StoredStampOrTextAsItIs) {
  EXPECT_EQ(render_date("2001-02-03 14:05:09", "yyyy/mm/dd hh:nn"), "2001/02/03 14:05");
  EXPECT_EQ(render_date("2001-02-03 14:05:09", "yyyy-mm-dd hh:nn:ss"), "2001-02-03 14:05:09");
  EXPECT_EQ(render_date("Tomorrow, maybe", "yyyy/mm/dd"), "Tomorrow, maybe");
  EXPECT_EQ(render_date("", "yyyy/mm/dd"), "");
  EXPECT_EQ(render_date("2001-02-30 00:00:00", "yyyy"), "2001-02-30 00:00:00");
}
