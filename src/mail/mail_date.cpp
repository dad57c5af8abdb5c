#include "mail/mail_date.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "codec/sjis_text.h"

namespace {

// ---------------------------------------------------------------------------
// Calendar arithmetic on a proleptic Gregorian calendar, through a day count
// (days since 1970-01-01; negative before it).

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap(y) ? 29 : days[m - 1];
}

std::int64_t days_from_civil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civil_from_days(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// 0 = Sunday.
int weekday(const DateTime& d) {
  const std::int64_t z = days_from_civil(d.year, d.month, d.day);
  return static_cast<int>(((z % 7) + 7 + 4) % 7);  // 1970-01-01 was a Thursday
}

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};
const char* const kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

const char* month_name(int m) { return m >= 1 && m <= 12 ? kMonths[m - 1] : ""; }

// ---------------------------------------------------------------------------
// Date text reader. Dates are ASCII; a byte that is no ASCII letter, digit or
// listed separator makes the text no date, so Shift_JIS text never matches.

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

struct Cursor {
  std::string_view s;
  std::size_t i = 0;

  bool done() const { return i >= s.size(); }
  char peek() const { return done() ? '\0' : s[i]; }
  // One or more spaces (TAB counts as a space).
  bool spaces() {
    const std::size_t from = i;
    while (!done() && (s[i] == ' ' || s[i] == '\t')) ++i;
    return i > from;
  }
  bool take(char c) {
    if (peek() != c) return false;
    ++i;
    return true;
  }
  // A run of min..max digits (the run must end there). -1 when there is none.
  int digits(std::size_t min, std::size_t max, std::size_t* count = nullptr) {
    std::size_t j = i;
    int v = 0;
    while (j < s.size() && is_digit(s[j]) && j - i < max) v = v * 10 + (s[j++] - '0');
    if (j - i < min || (j < s.size() && is_digit(s[j]))) return -1;
    if (count) *count = j - i;
    i = j;
    return v;
  }
  std::string_view word() {
    const std::size_t from = i;
    while (!done() && is_alpha(s[i])) ++i;
    return s.substr(from, i - from);
  }
};

bool same_word(std::string_view w, std::string_view name) {
  if (w.size() != name.size()) return false;
  for (std::size_t k = 0; k < w.size(); ++k)
    if (lower(w[k]) != lower(name[k])) return false;
  return true;
}

// English month name: the three-letter form, "Sept", or the full name.
int month_of(std::string_view w) {
  for (int m = 0; m < 12; ++m) {
    std::string_view full = kMonths[m];
    if (same_word(w, full) || same_word(w, full.substr(0, 3))) return m + 1;
  }
  return same_word(w, "sept") ? 9 : 0;
}

bool is_weekday(std::string_view w) {
  for (const char* name : kWeekdays) {
    std::string_view full = name;
    if (same_word(w, full) || same_word(w, full.substr(0, 3))) return true;
  }
  return false;
}

// Two-digit years as mail dates use them: 00-49 are 20xx, 50-99 are 19xx;
// three-digit years count from 1900.
int full_year(int y, std::size_t ndigits) {
  if (ndigits == 2) return y < 50 ? 2000 + y : 1900 + y;
  if (ndigits == 3) return 1900 + y;
  return y;
}

// H ":" M [":" S ["." digits]] [spaces ("AM" | "PM")]
bool read_time(Cursor& c, DateTime& d) {
  int h = c.digits(1, 2);
  if (h < 0 || !c.take(':')) return false;
  int mi = c.digits(1, 2);
  if (mi < 0) return false;
  int sec = 0;
  if (c.take(':')) {
    sec = c.digits(1, 2);
    if (sec < 0) return false;
    if (c.take('.') && c.digits(1, 9) < 0) return false;
  }
  Cursor probe = c;
  probe.spaces();
  std::string_view w = probe.word();
  if (same_word(w, "am") || same_word(w, "pm")) {
    if (h < 1 || h > 12) return false;
    h = h % 12 + (same_word(w, "pm") ? 12 : 0);
    c = probe;
  }
  if (h > 23 || mi > 59 || sec > 59) return false;
  d.hour = h;
  d.minute = mi;
  d.second = sec;
  return true;
}

bool valid_day(const DateTime& d) {
  return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= days_in_month(d.year, d.month);
}

// Year with 2-4 digits, as the month-name forms write it.
bool read_named_year(Cursor& c, DateTime& d) {
  std::size_t n = 0;
  int y = c.digits(2, 4, &n);
  if (y < 0) return false;
  d.year = full_year(y, n);
  return true;
}

// D sep MON sep Y, sep one of spaces, "-", "/".
bool read_day_month_year(Cursor& c, DateTime& d) {
  d.day = c.digits(1, 2);
  if (d.day < 0) return false;
  auto sep = [&c]() { return c.spaces() || c.take('-') || c.take('/'); };
  if (!sep()) return false;
  d.month = month_of(c.word());
  if (d.month == 0 || !sep()) return false;
  return read_named_year(c, d);
}

// MON spaces D [","] spaces Y
bool read_month_day_year(Cursor& c, DateTime& d) {
  d.month = month_of(c.word());
  if (d.month == 0 || !c.spaces()) return false;
  d.day = c.digits(1, 2);
  if (d.day < 0) return false;
  c.take(',');
  if (!c.spaces()) return false;
  return read_named_year(c, d);
}

// YYYY s M s D with s one of "/", "-", "." (the same both times).
bool read_numeric(Cursor& c, DateTime& d) {
  d.year = c.digits(4, 4);
  if (d.year < 0) return false;
  const char s = c.peek();
  if (s != '/' && s != '-' && s != '.') return false;
  c.take(s);
  d.month = c.digits(1, 2);
  if (d.month < 0 || !c.take(s)) return false;
  d.day = c.digits(1, 2);
  return d.day >= 0;
}

// The date part followed by an optional time, then the end of the text.
bool read_date_then_time(Cursor c, bool (*date)(Cursor&, DateTime&), bool iso_t, DateTime& d) {
  if (!date(c, d)) return false;
  const bool sep = c.spaces() || (iso_t && (c.take('T') || c.take('t')));
  if (sep && !c.done() && !read_time(c, d)) return false;
  if (!sep && !c.done()) return false;
  c.spaces();
  return c.done() && valid_day(d);
}

// MON spaces D spaces TIME spaces Y (the form of C's asctime).
bool read_asctime(Cursor c, DateTime& d) {
  d.month = month_of(c.word());
  if (d.month == 0 || !c.spaces()) return false;
  d.day = c.digits(1, 2);
  if (d.day < 0 || !c.spaces() || !read_time(c, d) || !c.spaces()) return false;
  d.year = c.digits(4, 4);
  if (d.year < 0) return false;
  c.spaces();
  return c.done() && valid_day(d);
}

// ---------------------------------------------------------------------------

// v in decimal, zero-padded to width ("%0*lld").
void put_number(std::string& out, long long v, int width) {
  if (v < 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, v);
    out += buf;
    return;
  }
  // The digits from the right end of the buffer, then one append.
  char digits[24];
  int at = sizeof digits;
  do {
    digits[--at] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v > 0);
  const int n = static_cast<int>(sizeof digits) - at;
  if (width > n) out.append(static_cast<std::size_t>(width - n), '0');
  out.append(digits + at, static_cast<std::size_t>(n));
}

// Length of the run of letter c (either case) at s[i], at most max.
std::size_t run_of(std::string_view s, std::size_t i, char c, std::size_t max) {
  std::size_t n = 0;
  while (i + n < s.size() && n < max && lower(s[i + n]) == c) ++n;
  return n;
}

}  // namespace

// Grammar (letters in any case, TAB counts as a space, blanks around the
// whole text ignored):
//   text    := [WEEKDAY [","] spaces] body
//   body    := D sep MON sep Y [spaces TIME]         sep: spaces, "-" or "/"
//            | MON spaces D [","] spaces Y [spaces TIME]
//            | MON spaces D spaces TIME spaces YYYY  (asctime)
//            | YYYY s M s D [(spaces | "T") TIME]   s: "/", "-" or "." (same twice)
//   TIME    := H ":" M [":" S ["." digits]] [spaces ("AM" | "PM")]
// MON and WEEKDAY are English names, full or three letters ("Sept" too). A
// year of two digits means 2000-2049 or 1950-1999, of three digits 1900 +
// the number; the numeric forms need four digits. The day must exist in its
// month, hours 0-23 (1-12 with AM/PM), minutes and seconds 0-59. A missing
// time is midnight. Anything else - a time alone, a zone, trailing words,
// month-first numbers - is no date.
namespace {

// The form every stored date has, "yyyy-mm-dd hh:mm:ss", read straight: the
// numeric form below reads it alike, after the others have looked at it.
std::optional<DateTime> stored_form(std::string_view t) {
  if (t.size() != 19 || t[4] != '-' || t[7] != '-' || t[10] != ' ' || t[13] != ':' || t[16] != ':') return std::nullopt;
  int v[6] = {};
  const int at[6] = {0, 5, 8, 11, 14, 17};
  for (int k = 0; k < 6; ++k)
    for (int i = at[k]; i < (k == 0 ? 4 : at[k] + 2); ++i) {
      if (t[i] < '0' || t[i] > '9') return std::nullopt;
      v[k] = v[k] * 10 + (t[i] - '0');
    }
  const DateTime d{v[0], v[1], v[2], v[3], v[4], v[5]};
  if (d.hour > 23 || d.minute > 59 || d.second > 59 || !valid_day(d)) return std::nullopt;
  return d;
}

}  // namespace

std::optional<DateTime> parse_date(std::string_view text) {
  if (std::optional<DateTime> d = stored_form(text)) return d;
  Cursor c{text};
  c.spaces();
  {
    Cursor probe = c;
    if (is_weekday(probe.word())) {
      probe.take(',');
      if (probe.spaces()) c = probe;
    }
  }
  DateTime d;
  if (read_date_then_time(c, read_day_month_year, false, d)) return d;
  d = DateTime{};
  if (read_date_then_time(c, read_month_day_year, false, d)) return d;
  d = DateTime{};
  if (read_asctime(c, d)) return d;
  d = DateTime{};
  if (read_date_then_time(c, read_numeric, true, d)) return d;
  return std::nullopt;
}

DateTime add_minutes(const DateTime& d, long long minutes) {
  const std::int64_t day = days_from_civil(d.year, d.month, d.day);
  std::int64_t total = day * 1440 + d.hour * 60 + d.minute + minutes;
  std::int64_t days = total >= 0 ? total / 1440 : -((-total + 1439) / 1440);
  const std::int64_t rest = total - days * 1440;
  DateTime r;
  civil_from_days(days, r.year, r.month, r.day);
  r.hour = static_cast<int>(rest / 60);
  r.minute = static_cast<int>(rest % 60);
  r.second = d.second;
  return r;
}

DateTime add_hours(const DateTime& d, int hours) { return add_minutes(d, static_cast<long long>(hours) * 60); }

std::string stamp_date(const DateTime& d) {
  // Every date a mail gives: written in place.
  const auto fits = [](int v, int max) { return v >= 0 && v <= max; };
  if (fits(d.year, 9999) && fits(d.month, 99) && fits(d.day, 99) && fits(d.hour, 99) && fits(d.minute, 99) &&
      fits(d.second, 99)) {
    char s[] = "0000-00-00 00:00:00";
    const auto two = [&s](std::size_t at, int v) {
      s[at] = static_cast<char>('0' + v / 10);
      s[at + 1] = static_cast<char>('0' + v % 10);
    };
    two(0, d.year / 100);
    two(2, d.year % 100);
    two(5, d.month);
    two(8, d.day);
    two(11, d.hour);
    two(14, d.minute);
    two(17, d.second);
    return std::string(s, 19);
  }
  std::string out;
  out.reserve(19);
  put_number(out, d.year, 4);
  out += '-';
  put_number(out, d.month, 2);
  out += '-';
  put_number(out, d.day, 2);
  out += ' ';
  put_number(out, d.hour, 2);
  out += ':';
  put_number(out, d.minute, 2);
  out += ':';
  put_number(out, d.second, 2);
  return out;
}

// Pattern rules. The pattern is read from left to right, taking at each place
// the longest token that fits; token letters may be in either case.
//   yyyy  year, 4 digits          yy    year, last 2 digits
//   m     month 1-12              mm    month 01-12
//   mmm   Jan .. Dec              mmmm  January .. December
//   d     day 1-31                dd    day 01-31
//   ddd   Sun .. Sat              dddd  Sunday .. Saturday
//   h     hour 0-23               hh    hour 00-23
//   n     minute 0-59             nn    minute 00-59
//   s     second 0-59             ss    second 00-59
//   AM/PM "AM" or "PM" ("am"/"pm" when written in lower case), and every
//         hour of the pattern is then on the 12-hour clock (12, 1 .. 11).
// "m" and "mm" mean minutes instead of the month when the token before them
// (with any literal characters between) was "h" or "hh": "hh:mm" is hours
// and minutes. Every other character, a lone "y" included, is copied as it
// stands. An empty pattern gives the stored form "yyyy-mm-dd hh:mm:ss".
namespace {

// Writes the token of the pattern p that starts at i (c is its first
// character in lower case) and returns its length in bytes; 0, writing
// nothing, when no token starts there. hour is the hour as the pattern shows
// it; after_hour tells that the token before was an hour.
std::size_t put_token(std::string& out, const DateTime& d, std::string_view p, std::size_t i, char c, int hour,
                      bool after_hour) {
  std::size_t n = 0;
  if (c == 'a' && same_word(p.substr(i, 5), "am/pm")) {
    const bool upper = p[i] == 'A';
    out += d.hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
    n = 5;
  } else if (c == 'y' && (n = run_of(p, i, 'y', 4)) >= 2) {
    if (n == 4) {
      put_number(out, d.year, 4);
    } else {
      n = 2;
      put_number(out, d.year % 100, 2);
    }
  } else if (c == 'm') {
    n = run_of(p, i, 'm', 4);
    if (n <= 2 && after_hour)
      put_number(out, d.minute, static_cast<int>(n));
    else if (n <= 2)
      put_number(out, d.month, static_cast<int>(n));
    else
      out += std::string_view(month_name(d.month)).substr(0, n == 3 ? 3 : std::string_view::npos);
  } else if (c == 'd') {
    n = run_of(p, i, 'd', 4);
    if (n <= 2)
      put_number(out, d.day, static_cast<int>(n));
    else if (n == 3)
      out += std::string_view(kWeekdays[weekday(d)]).substr(0, 3);
    else
      out += kWeekdays[weekday(d)];
  } else if (c == 'h') {
    n = run_of(p, i, 'h', 2);
    put_number(out, hour, static_cast<int>(n));
  } else if (c == 'n') {
    n = run_of(p, i, 'n', 2);
    put_number(out, d.minute, static_cast<int>(n));
  } else if (c == 's') {
    n = run_of(p, i, 's', 2);
    put_number(out, d.second, static_cast<int>(n));
  } else {
    n = 0;
  }
  return n;
}

}  // namespace

std::string format_date(const DateTime& d, const std::string& pattern) {
  // The default pattern spells the stored form: no need to read it.
  if (pattern.empty() || pattern == "yyyy-mm-dd hh:nn:ss") return stamp_date(d);
  const std::string_view p = pattern;
  // Walked character by character: the second byte of a double-byte
  // character (the "N" of 年) is never a token.
  bool twelve = false;
  for (std::size_t i = 0; i < p.size(); i += sjis::char_len(p, i))
    if (same_word(p.substr(i, 5), "am/pm")) twelve = true;
  const int hour = twelve ? (d.hour % 12 == 0 ? 12 : d.hour % 12) : d.hour;

  std::string out;
  out.reserve(p.size() + 16);  // room for the digits and names of the usual patterns
  bool after_hour = false;
  for (std::size_t i = 0; i < p.size();) {
    const char c = lower(p[i]);
    std::size_t n = put_token(out, d, p, i, c, hour, after_hour);
    if (n != 0) {
      after_hour = c == 'h';
    } else {
      n = sjis::char_len(p, i);
      out.append(p.substr(i, n));
    }
    i += n;
  }
  return out;
}

std::string render_date(std::string_view stored, const std::string& pattern) {
  const std::optional<DateTime> d = parse_date(stored);
  return d ? format_date(*d, pattern) : std::string(stored);
}
