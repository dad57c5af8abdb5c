#include "core/common_text.h"

#include <cstdio>
#include <cstring>

#include "codec/cp932.h"
#include "codec/sjis_text.h"
#include "core/file_ops.h"

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
  Html_Esc_To(out, text);
  return out;
}

namespace {

// Length of the numeric character reference "&#" digits ";" at text[i], or 0.
std::size_t Reference_Length(std::string_view text, std::size_t i) {
  std::size_t k = i + 2;
  if (k >= text.size() || text[i + 1] != '#') return 0;
  while (k < text.size() && k - i < 10 && text[k] >= '0' && text[k] <= '9') ++k;
  return k > i + 2 && k < text.size() && text[k] == ';' ? k + 1 - i : 0;
}

}  // namespace

void Html_Esc_To(std::string& out, std::string_view text) {
  // "<" (0x3C), ">" (0x3E) and "&" (0x26) are never the second byte of a
  // double-byte character, and after a lead byte they stand alone: each such
  // byte is a character of its own, so the text is escaped bytewise. A
  // numeric reference ("&#248;") stands for a character code page 932 lacks
  // and is kept; every other "&" is written "&amp;". One pass counts, so
  // that the result is sized once; a second copies the text into place.
  // Time is linear in the text whatever it holds.
  std::size_t extra = 0;
  for (const char c : text) extra += c == '<' || c == '>' ? 3 : c == '&' ? 4 : 0;
  if (extra == 0) {
    out.append(text);
    return;
  }
  const std::size_t at = out.size();
  out.resize(at + text.size() + extra);
  char* w = out.data() + at;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '<') {
      std::memcpy(w, "&lt;", 4);
      w += 4;
    } else if (c == '>') {
      std::memcpy(w, "&gt;", 4);
      w += 4;
    } else if (c == '&' && Reference_Length(text, i) == 0) {
      std::memcpy(w, "&amp;", 5);
      w += 5;
    } else {
      *w++ = c;
    }
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
}

std::string Progress_Text(std::int64_t num, std::int64_t total) {
  return "(" + std::to_string(num) + "\xEF\xBC\x8F" + std::to_string(total) + ")";
}

std::string sj(std::string_view utf8) { return cp932::from_utf8(utf8); }

std::string Page_Name(std::int64_t number) {
  if (number < 0 || number > kLastPage)
    throw VbError(6, "ページ番号 " + std::to_string(number) + " はページ名 (m0000000.htm - " + Page_Name(kLastPage) +
                         ") にできません");
  char buf[32];
  std::snprintf(buf, sizeof buf, "m%07lld.htm", static_cast<long long>(number));
  return buf;
}

std::int64_t Next_Page_Number(std::int64_t& Mail_No, std::string_view folder) {
  if (Mail_No >= kLastPage) {
    std::string text(folder);
    text += ": ページ番号が上限 (" + Page_Name(kLastPage) + ") に達しました。これ以上ページを書けません";
    throw VbError(6, text);
  }
  return ++Mail_No;
}
