#include "core/common_text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "codec/cp932.h"
#include "codec/sjis_text.h"
#include "core/vb_error.h"

std::string Trim_Subj(std::string& subj) {
  // Dropping everything up to the first "]" and the spaces after it, for as
  // long as a "]" is left, ends after the last "]" of the text (cutting at a
  // character boundary and dropping spaces keep the boundaries of the rest),
  // so one search from the end does it without copying the text per "]".
  std::string_view t = sjis::ltrim(subj);
  const std::size_t last = sjis::rfind_char(t, ']');
  if (last != std::string_view::npos) t = sjis::ltrim(t.substr(last + 1));
  while (sjis::starts_with_nocase(t, "re:")) t = sjis::ltrim(t.substr(3));
  subj = std::string(t);
  return subj;
}

std::string Html_Esc(std::string_view text) {
  std::string out;
  html_esc_to(out, text);
  return out;
}

namespace {

// Length of the numeric character reference "&#" digits ";" at text[i], or 0.
std::size_t reference_length(std::string_view text, std::size_t i) {
  std::size_t k = i + 2;
  if (k >= text.size() || text[i + 1] != '#') return 0;
  while (k < text.size() && k - i < 10 && text[k] >= '0' && text[k] <= '9') ++k;
  return k > i + 2 && k < text.size() && text[k] == ';' ? k + 1 - i : 0;
}

bool is_markup(char c) { return c == '<' || c == '>' || c == '&'; }

// True when one of the eight bytes of w is "<", ">" or "&". "<" (0x3C) and
// ">" (0x3E) differ in bit 1 only, so one test finds both; a byte of x is
// zero exactly where (x - 1) borrows into a top bit that x lacks, and some
// byte is zero exactly when the test below leaves a top bit.
bool has_markup(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kTops = 0x8080808080808080u;
  const std::uint64_t angle = (w | 0x02 * kOnes) ^ (0x3E * kOnes);
  const std::uint64_t amp = w ^ (0x26 * kOnes);
  return ((((angle - kOnes) & ~angle) | ((amp - kOnes) & ~amp)) & kTops) != 0;
}

// Position of the first "<", ">" or "&" at or after from, or text.size().
// Most text holds few of them, so it is searched eight bytes at a time.
std::size_t find_markup(std::string_view text, std::size_t from) {
  for (; from + 8 <= text.size(); from += 8) {
    std::uint64_t w;
    std::memcpy(&w, text.data() + from, 8);
    if (has_markup(w)) break;
  }
  while (from < text.size() && !is_markup(text[from])) ++from;
  return from;
}

}  // namespace

void html_esc_to(std::string& out, std::string_view text) {
  // "<" (0x3C), ">" (0x3E) and "&" (0x26) are never the second byte of a
  // double-byte character, and after a lead byte they stand alone: each such
  // byte is a character of its own, so the text is searched bytewise. A
  // numeric reference ("&#248;") stands for a character code page 932 lacks
  // and is kept; every other "&" is written "&amp;". The text between the
  // bytes found is appended a run at a time. Time is linear in the text
  // whatever it holds.
  std::size_t from = 0;  // start of the text not yet appended
  for (std::size_t i = find_markup(text, 0); i < text.size(); i = find_markup(text, i + 1)) {
    const char c = text[i];
    if (c == '&' && reference_length(text, i) != 0) continue;
    out.append(text.substr(from, i - from));
    out.append(c == '<' ? std::string_view("&lt;") : c == '>' ? std::string_view("&gt;") : std::string_view("&amp;"));
    from = i + 1;
  }
  out.append(text.substr(from));
}

std::string progress_text(std::int64_t num, std::int64_t total) {
  return "(" + std::to_string(num) + "\xEF\xBC\x8F" + std::to_string(total) + ")";
}

namespace {

bool ascii_alnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool local_part_char(char c) { return ascii_alnum(c) || std::strchr("!#$%&'*+-/=?^_`{|}~.", c) != nullptr; }

// Calls at(i) for the byte offset of every "@" of text that stands in an
// address, walking character by character.
template <class F>
void each_address_at(std::string_view text, F at) {
  bool after_local = false;  // the character before is a single-byte local part character
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = sjis::char_len(text, i);
    const char c = text[i];
    if (n == 1 && c == '@' && after_local && i + 1 < text.size() && sjis::char_len(text, i + 1) == 1 &&
        ascii_alnum(text[i + 1]))
      at(i);
    after_local = n == 1 && c != '\0' && local_part_char(c);
    i += n;
  }
}

constexpr std::string_view kWideAt = "\x81\x97";  // ＠

}  // namespace

bool holds_address(std::string_view text) {
  if (text.find('@') == std::string_view::npos) return false;
  bool found = false;
  each_address_at(text, [&found](std::size_t) { found = true; });
  return found;
}

void hide_addresses_to(std::string& out, std::string_view text) {
  std::size_t done = 0;
  if (text.find('@') != std::string_view::npos) {
    each_address_at(text, [&](std::size_t at) {
      out.append(text.substr(done, at - done));
      out.append(kWideAt);
      done = at + 1;
    });
  }
  out.append(text.substr(done));
}

std::string hide_addresses(std::string_view text) {
  std::string out;
  hide_addresses_to(out, text);
  return out;
}

std::string sj(std::string_view utf8) { return cp932::from_utf8(utf8); }

std::string page_name(std::int64_t number) {
  if (number < 0 || number > kLastPage)
    throw VbError(6, "ページ番号 " + std::to_string(number) + " はページ名 (m0000000.htm - " + page_name(kLastPage) +
                         ") にできません");
  char buf[32];
  std::snprintf(buf, sizeof buf, "m%07lld.htm", static_cast<long long>(number));
  return buf;
}

std::int64_t next_page_number(std::int64_t& Mail_No, std::string_view folder) {
  if (Mail_No >= kLastPage) {
    std::string text(folder);
    text += ": ページ番号が上限 (" + page_name(kLastPage) + ") に達しました。これ以上ページを書けません";
    throw VbError(6, text);
  }
  return ++Mail_No;
}
