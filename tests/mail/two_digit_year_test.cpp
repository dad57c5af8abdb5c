// Two-digit years in Date fields, read the way mail readers show them:
// 00-49 are 2000-2049, 50-99 are 1950-1999; three digits count from 1900.
// The stored date is Japan time, so a zone can carry the year over.
#include <gtest/gtest.h>

#include <string>

#include "mail/header_fields.h"
#include "mail/mail_date.h"
#include "mail/message_values.h"

namespace {

TEST(TwoDigitYears, OnBothSidesOfFifty) {
  const struct {
    const char* name;
    std::string field, stored;
  } rows[] = {
      {"49 is 2049", "Date: Fri, 1 Jan 49 12:00:00 +0900", "2049-01-01 12:00:00"},
      {"50 is 1950", "Date: Sun, 1 Jan 50 12:00:00 +0900", "1950-01-01 12:00:00"},
      {"99 is 1999", "Date: Fri, 1 Jan 99 12:00:00 +0900", "1999-01-01 12:00:00"},
      {"00 is 2000", "Date: Sat, 1 Jan 00 12:00:00 +0900", "2000-01-01 12:00:00"},
      {"01 is 2001", "Date: Mon, 1 Jan 01 12:00:00 +0900", "2001-01-01 12:00:00"},
      {"no weekday", "Date: 1 Jan 49 12:00:00 +0900", "2049-01-01 12:00:00"},
      {"99 carried into 2000 by the zone", "Date: Fri, 31 Dec 99 23:00:00 +0000", "2000-01-01 08:00:00"},
      {"49 carried into 2050 by the zone", "Date: Fri, 31 Dec 49 20:00:00 -0500", "2050-01-01 10:00:00"},
      {"50 taken back into 1949 by the zone", "Date: Sun, 1 Jan 50 00:30:00 +1000", "1949-12-31 23:30:00"},
      {"leap day of 2048", "Date: Sat, 29 Feb 48 00:00:00 +0900", "2048-02-29 00:00:00"},
      {"three digits count from 1900", "Date: Mon, 1 Jan 104 12:00:00 +0900", "2004-01-01 12:00:00"},
      {"four digits as they are", "Date: Sat, 1 Jan 2049 12:00:00 +0900", "2049-01-01 12:00:00"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    MessageValues m;
    get_date(r.field.substr(5), m);
    EXPECT_EQ(m.date, r.stored);
  }
}

TEST(TwoDigitYears, ParseDateAlone) {
  const struct {
    const char* text;
    int year;
  } rows[] = {{"1 Jan 49", 2049}, {"1 Jan 50", 1950}, {"1 Jan 99", 1999}, {"1 Jan 00", 2000}, {"1 Jan 01", 2001}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    const auto d = parse_date(r.text);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->year, r.year);
    EXPECT_EQ(d->month, 1);
    EXPECT_EQ(d->day, 1);
  }
}

}  // namespace
