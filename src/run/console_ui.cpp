#include "run/console_ui.h"

#include <unistd.h>

#include "run/common_text.h"

namespace {

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

}  // namespace

ConsoleUi::ConsoleUi(std::FILE* err) : err_(err), tty_(::isatty(::fileno(err)) == 1) {}

ConsoleUi::~ConsoleUi() { erase_status(); }

void ConsoleUi::message(const std::string& title, const std::string& text, Icon) {
  erase_status();
  std::fprintf(err_, "%s: %s\n", title.c_str(), terminal_lines(text).c_str());
  std::fflush(err_);
}

RunUi::Answer ConsoleUi::ask(const std::string&, const std::string&, Icon, Buttons) {
  // Nobody is there to answer; the caller's preset answer decides before it
  // would ask, and anything else counts as Cancel.
  return Answer::Cancel;
}

void ConsoleUi::warn(const std::string& text) {
  erase_status();
  std::fprintf(err_, "%s\n", terminal_lines(text).c_str());
  std::fflush(err_);
}

void ConsoleUi::progress(Label label, std::int64_t num, std::int64_t total) {
  if (!tty_) return;
  auto now = std::chrono::steady_clock::now();
  bool step = label == Label::Syori_no;
  if (!step && now - last_draw_ < std::chrono::milliseconds(100)) return;
  (step ? syori_ : syosai_) = Progress_Text(num, total);
  if (step) syosai_.clear();
  if (now - last_draw_ < std::chrono::milliseconds(100)) return;
  last_draw_ = now;
  draw_status();
}

void ConsoleUi::clear_progress() {
  syori_.clear();
  syosai_.clear();
  erase_status();
}

void ConsoleUi::draw_status() {
  std::fprintf(err_, "\r\x1b[K%s %s", syori_.c_str(), syosai_.c_str());
  std::fflush(err_);
  shown_ = true;
}

void ConsoleUi::erase_status() {
  if (!shown_) return;
  std::fprintf(err_, "\r\x1b[K");
  std::fflush(err_);
  shown_ = false;
}
