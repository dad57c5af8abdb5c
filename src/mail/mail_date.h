// Dates: reading the texts that mail Date fields and stored dates hold, and
// rendering a date by a display pattern.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Reads a date and time text (RFC 822/2822 forms without the zone, an
// optional weekday in front, ISO and the usual numeric forms with the year
// first); nothing when it is no date. The grammar is in mail_date.cpp.
std::optional<DateTime> parse_date(std::string_view text);
// The date plus a number of hours (negative allowed), calendar-correct.
DateTime add_hours(const DateTime& d, int hours);
// The same in minutes (for zones such as +0530).
DateTime add_minutes(const DateTime& d, long long minutes);
// "yyyy-mm-dd hh:mm:ss".
std::string stamp_date(const DateTime& d);
// Renders by a pattern of the tokens yyyy yy m mm mmm mmmm d dd ddd dddd h hh
// n nn s ss AM/PM (other characters literal; "m" right after an hour token
// means minutes).
std::string format_date(const DateTime& d, const std::string& pattern);
// A stored date field rendered by the pattern; a text that is no date is
// returned as it is.
std::string render_date(std::string_view stored, const std::string& pattern);
