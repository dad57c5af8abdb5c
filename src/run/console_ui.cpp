#include "run/console_ui.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "core/common_text.h"

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kRedraw{100};
constexpr int kBarWidth = 20;
constexpr int kMinBarWidth = 5;
constexpr int kNameRoom = 12;  // columns for the file name before the bar gives way

// Message texts break lines with CR or CR LF; a terminal wants LF.
std::string terminal_lines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// One UTF-8 character of s at i: its length in bytes (1 for a byte that
// starts no valid sequence) and its code point (U+FFFD for such a byte).
std::size_t utf8_char(std::string_view s, std::size_t i, char32_t& cp) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) {
    cp = 0xFFFD;
    return 1;
  }
  cp = len == 1 ? c : c & (0x7F >> len);
  for (std::size_t k = 1; k < len; ++k) {
    const unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t >> 6) != 2) {
      cp = 0xFFFD;
      return 1;
    }
    cp = (cp << 6) | (t & 0x3F);
  }
  return len;
}

// Columns a character takes on a terminal: 2 for the wide East Asian ranges
// (kana, kanji, hangul, full-width forms), 0 for combining marks, else 1.
int char_columns(char32_t cp) {
  if ((cp >= 0x300 && cp < 0x370) || (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x3099 && cp <= 0x309A)) return 0;
  if ((cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0x303E) || (cp >= 0x3041 && cp <= 0x33FF) ||
      (cp >= 0x3400 && cp <= 0x4DBF) || (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xA000 && cp <= 0xA4CF) ||
      (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) ||
      (cp >= 0xFF00 && cp <= 0xFF60) || (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x1F300 && cp <= 0x1F64F) ||
      (cp >= 0x20000 && cp <= 0x3FFFD))
    return 2;
  return 1;
}

int text_columns(std::string_view s) {
  int width = 0;
  char32_t cp;
  for (std::size_t i = 0; i < s.size(); i += utf8_char(s, i, cp)) {
    utf8_char(s, i, cp);
    width += char_columns(cp);
  }
  return width;
}

// The longest head of s (whole characters) that takes at most width columns.
std::string cut_to(std::string_view s, int width) {
  int used = 0;
  char32_t cp;
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t len = utf8_char(s, i, cp);
    const int w = char_columns(cp);
    if (used + w > width) break;
    used += w;
    i += len;
  }
  return std::string(s.substr(0, i));
}

// A file name as the status line can show it: control characters and bytes
// that are no UTF-8 become "?", so that nothing in a name moves the cursor.
std::string printable_name(std::string_view s) {
  std::string out;
  char32_t cp;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t len = utf8_char(s, i, cp);
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0) || cp == 0xFFFD)
      out += '?';
    else
      out.append(s.substr(i, len));
    i += len;
  }
  return out;
}

std::string base_name(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// 1234567 -> "1,234,567".
std::string grouped(std::int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out;
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) out += ',';
    out += digits[k];
  }
  return n < 0 ? "-" + out : out;
}

// "0:07", "12:34", "1:02:03".
std::string clock_text(std::int64_t seconds) {
  char buf[32];
  if (seconds >= 3600)
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  else
    std::snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  return buf;
}

// The pieces of the status line before they are fitted to the terminal.
struct StatusParts {
  std::string head;                  // the step in words and its progress number
  std::string file;                  // name of the file read, or empty
  std::string percent;               // the detail in percent, or empty
  int bar = 0;                       // columns of the bar between its brackets; 0: no bar
  std::int64_t done = 0, total = 0;  // the detail the bar shows
  std::string rate, left;            // messages per second and time left, or empty
};

// Columns of everything but the file name.
int fixed_columns(const StatusParts& p) {
  int w = text_columns(p.head);
  if (!p.percent.empty()) w += 1 + text_columns(p.percent);
  if (p.bar > 0) w += p.bar + 3;
  if (!p.rate.empty()) w += 1 + text_columns(p.rate);
  if (!p.left.empty()) w += 1 + text_columns(p.left);
  return w;
}

// The line in at most width columns. What does not fit goes in this order:
// the file name is cut, then the time left, the rate and part of the bar;
// what still does not fit is cut.
std::string fit_status(StatusParts p, int width) {
  if (fixed_columns(p) > width) p.left.clear();
  if (fixed_columns(p) > width) p.rate.clear();
  while (p.bar > kMinBarWidth && fixed_columns(p) > width) --p.bar;
  if (p.bar > 0 && fixed_columns(p) > width) p.bar = 0;

  // A bar of half its width leaves a name room to be recognised.
  while (!p.file.empty() && p.bar > kBarWidth / 2 && width - fixed_columns(p) - 1 < kNameRoom) --p.bar;
  std::string name;
  const int room = width - fixed_columns(p) - 1;
  if (!p.file.empty() && room >= 4) name = text_columns(p.file) <= room ? p.file : cut_to(p.file, room - 3) + "...";

  std::string line = p.head;
  if (!name.empty()) line += " " + name;
  if (!p.percent.empty()) line += " " + p.percent;
  if (p.bar > 0) {
    const int filled = static_cast<int>(p.done * p.bar / p.total);
    line += " [" + std::string(filled, '#') + std::string(p.bar - filled, '-') + "]";
  }
  if (!p.rate.empty()) line += " " + p.rate;
  if (!p.left.empty()) line += " " + p.left;
  return cut_to(line, width);
}

}  // namespace

ConsoleUi::ConsoleUi(std::FILE* err) : ConsoleUi(err, Options{}) {}

ConsoleUi::ConsoleUi(std::FILE* err, Options options)
    : err_(err),
      tty_(options.terminal ? *options.terminal : ::isatty(::fileno(err)) == 1),
      clock_(std::move(options.clock)),
      columns_(options.columns) {}

ConsoleUi::~ConsoleUi() { erase_status(); }

void ConsoleUi::message(const std::string& title, const std::string& text, Icon) {
  const bool had_status = shown_;
  erase_status();
  std::fprintf(err_, "%s: %s\n", title.c_str(), terminal_lines(text).c_str());
  if (had_status) draw_status();
  std::fflush(err_);
}

RunUi::Answer ConsoleUi::ask(const std::string&, const std::string&, Icon, Buttons) {
  // Nobody is there to answer; the caller's preset answer decides before it
  // would ask, and anything else counts as Cancel.
  return Answer::Cancel;
}

void ConsoleUi::warn(const std::string& text) {
  const bool had_status = shown_;
  erase_status();
  std::fprintf(err_, "%s\n", terminal_lines(text).c_str());
  if (had_status) draw_status();
  std::fflush(err_);
}

void ConsoleUi::progress(Label label, std::int64_t num, std::int64_t total) {
  if (!tty_) return;
  if (label == Label::Syori_no) {
    // A step known only by its number.
    kind_.reset();
    step_num_ = num;
    step_total_ = total;
    detail_num_ = detail_total_ = 0;
    file_.clear();
    update(true);
    return;
  }
  detail_num_ = num;
  detail_total_ = total;
  update(num >= total);
}

void ConsoleUi::step(Step kind, std::int64_t num, std::int64_t total) {
  if (!tty_) return;
  kind_ = kind;
  step_num_ = num;
  step_total_ = total;
  detail_num_ = detail_total_ = 0;
  if (kind != Step::Reading) file_.clear();
  update(true);
}

void ConsoleUi::read_file(const std::string& path, std::int64_t run_bytes) {
  if (!tty_) return;
  const TimePoint at = now();
  if (!read_start_) read_start_ = at;
  done_bytes_ += file_size_;
  file_bytes_ = file_size_ = 0;
  run_bytes_ = run_bytes;
  file_ = printable_name(base_name(path));
  update(true);
}

void ConsoleUi::read_progress(const ReadProgress& p) {
  if (!tty_) return;
  file_bytes_ = p.bytes;
  file_size_ = p.size;
  messages_ = p.messages;
  detail_num_ = p.bytes;
  detail_total_ = p.size;
  update(p.bytes >= p.size);
}

void ConsoleUi::deleted(std::int64_t files) {
  if (!tty_) return;
  const bool begins = kind_ != Step::Deletion;
  kind_ = Step::Deletion;
  step_num_ = step_total_ = 0;
  detail_num_ = detail_total_ = 0;
  file_.clear();
  deleted_ = files;
  update(begins);
}

void ConsoleUi::waiting(const std::string& folder) {
  if (!tty_) return;
  erase_status();
  const std::string line = "待機中: " + printable_name(folder) + " は別の vorn_htm が使用中です";
  std::fprintf(err_, "\r\x1b[K%s", line.c_str());
  std::fflush(err_);
  shown_ = true;
}

void ConsoleUi::finished(const RunSummary& summary) {
  if (!tty_) return;
  erase_status();
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", summary.seconds);
  // Messages left out as removed are named only when there were any.
  std::string skipped;
  if (summary.removed > 0) skipped += " / 削除 " + grouped(summary.removed) + " 件";
  if (summary.skipped > 0) skipped += " / 除外 " + grouped(summary.skipped) + " 件";
  std::fprintf(err_, "完了: 追加 %s 件 / 置換 %s 件%s / ページ %s / %s 秒\n", grouped(summary.added).c_str(),
               grouped(summary.replaced).c_str(), skipped.c_str(), grouped(summary.pages).c_str(), seconds);
  std::fflush(err_);
}

void ConsoleUi::clear_progress() {
  kind_.reset();
  step_num_ = step_total_ = detail_num_ = detail_total_ = 0;
  file_.clear();
  erase_status();
}

int ConsoleUi::columns() const {
  if (columns_ > 0) return columns_;
  if (const char* env = std::getenv("COLUMNS")) {
    const int n = std::atoi(env);
    if (n > 0) return n;
  }
  struct winsize size {};
  if (::ioctl(::fileno(err_), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

void ConsoleUi::update(bool force) {
  const TimePoint at = now();
  if (!force && last_draw_ && at - *last_draw_ < kRedraw) return;
  last_draw_ = at;
  draw_status();
}

void ConsoleUi::draw_status() {
  // The last column stays free: a terminal that wraps on writing it would
  // move the cursor to the next line.
  const std::string line = status_line(std::max(columns() - 1, 1), now());
  std::fprintf(err_, "\r\x1b[K%s", line.c_str());
  std::fflush(err_);
  shown_ = true;
}

void ConsoleUi::erase_status() {
  if (!shown_) return;
  std::fprintf(err_, "\r\x1b[K");
  std::fflush(err_);
  shown_ = false;
}

std::string ConsoleUi::status_line(int width, TimePoint at) const {
  StatusParts p;
  p.head = kind_ ? std::string(run_step(*kind_).words) : std::string();
  if (step_total_ > 0) {
    if (!p.head.empty()) p.head += ' ';
    p.head += progress_text(step_num_, step_total_);
  }
  if (kind_ == Step::Deletion) p.head += " " + grouped(deleted_) + " ファイル";
  p.file = file_;
  if (detail_total_ > 0) {
    p.done = std::clamp<std::int64_t>(detail_num_, 0, detail_total_);
    p.total = detail_total_;
    char buf[32];  // padded to three digits, so the line does not shift as it grows
    std::snprintf(buf, sizeof buf, "%3lld%%", static_cast<long long>(p.done * 100 / p.total));
    p.percent = buf;
    p.bar = kBarWidth;
  }
  if (kind_ == Step::Reading && read_start_) reading_pace(at, p.rate, p.left);
  return fit_status(std::move(p), width);
}

void ConsoleUi::reading_pace(TimePoint at, std::string& rate, std::string& left) const {
  const double seconds = std::chrono::duration<double>(at - *read_start_).count();
  if (seconds < 1) return;
  const std::int64_t done = done_bytes_ + file_bytes_;
  rate = grouped(static_cast<std::int64_t>(static_cast<double>(messages_) / seconds)) + " 通/秒";
  if (done > 0 && run_bytes_ > done)
    left = "残り " + clock_text(static_cast<std::int64_t>(
                         seconds * static_cast<double>(run_bytes_ - done) / static_cast<double>(done) + 0.5));
}
