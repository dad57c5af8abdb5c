// The date reader and the date renderers. The input is a date text, then
// optionally a line feed and a display pattern.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/scratch_dir.h"
#include "mail/mail_date.h"

namespace {

bool Same(const DateTime& a, const DateTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
         a.second == b.second;
}

bool Leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int Days_In_Month(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && Leap(y) ? 29 : days[m - 1];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::size_t nl = in.find('\n');
  const std::string text(in.substr(0, nl));
  const std::string pattern(nl == std::string_view::npos ? std::string_view() : in.substr(nl + 1));

  const std::optional<DateTime> d = parse_date(text);
  if (!d) {
    // A text that is no date is shown as it stands.
    FUZZ_CHECK(render_date(text, pattern) == text);
    return 0;
  }
  // A date read is a day of the calendar and a time of the day.
  FUZZ_CHECK(d->year >= 1 && d->year <= 9999);
  FUZZ_CHECK(d->month >= 1 && d->month <= 12);
  FUZZ_CHECK(d->day >= 1 && d->day <= Days_In_Month(d->year, d->month));
  FUZZ_CHECK(d->hour >= 0 && d->hour <= 23 && d->minute >= 0 && d->minute <= 59);
  FUZZ_CHECK(d->second >= 0 && d->second <= 59);

  // The stored form reads back as the same date.
  const std::string stamp = stamp_date(*d);
  const std::optional<DateTime> back = parse_date(stamp);
  FUZZ_CHECK(back && Same(*back, *d));
  FUZZ_CHECK(format_date(*d, "") == stamp);

  // Moving by a zone offset and back gives the same date.
  const int hours = static_cast<int>(size % 48) - 24;
  FUZZ_CHECK(Same(add_hours(add_hours(*d, hours), -hours), *d));
  const long long minutes = static_cast<long long>(size % 1000) * 37 - 18000;
  FUZZ_CHECK(Same(add_minutes(add_minutes(*d, minutes), -minutes), *d));

  format_date(*d, pattern);
  render_date(text, pattern);
  return 0;
}
