#include "run/common_text.h"

#include <cstdio>
#include <cstring>

#include "codec/cp932.h"
#include "codec/sjis_text.h"

std::string Trim_Subj(std::string& subj) {
  std::string t(sjis::ltrim(subj));
  for (;;) {
    std::size_t p = sjis::find_char(t, ']');
    if (p == std::string::npos) break;
    t = std::string(sjis::ltrim(std::string_view(t).substr(p + 1)));
  }
  while (sjis::starts_with_nocase(t, "re:")) t = std::string(sjis::ltrim(std::string_view(t).substr(3)));
  subj = t;
  return t;
}

std::string Html_Esc(std::string_view text) {
  std::string out;
  Html_Esc_To(out, text);
  return out;
}

void Html_Esc_To(std::string& out, std::string_view text) {
  // "<" (0x3C) and ">" (0x3E) are never the second byte of a double-byte
  // character, and after a lead byte they stand alone: each such byte is a
  // character of its own, so the text is searched and escaped bytewise.
  const char* p = text.data();
  const char* const end = p + text.size();
  for (;;) {
    const std::size_t n = static_cast<std::size_t>(end - p);
    const char* lt = static_cast<const char*>(std::memchr(p, '<', n));
    const char* gt = static_cast<const char*>(std::memchr(p, '>', lt ? static_cast<std::size_t>(lt - p) : n));
    const char* hit = gt ? gt : lt;
    if (!hit) {
      out.append(p, n);
      return;
    }
    out.append(p, static_cast<std::size_t>(hit - p));
    out += *hit == '<' ? "&lt;" : "&gt;";
    p = hit + 1;
  }
}

std::string Progress_Text(std::int64_t num, std::int64_t total) {
  return "(" + std::to_string(num) + "\xEF\xBC\x8F" + std::to_string(total) + ")";
}

std::string sj(std::string_view utf8) { return cp932::from_utf8(utf8); }

std::string Page_Name(std::int64_t number) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "m%07lld.htm", static_cast<long long>(number % 10000000));
  return buf;
}
