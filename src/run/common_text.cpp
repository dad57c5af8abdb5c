#include "run/common_text.h"

#include <cstdio>

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
  if (text.find_first_of("<>") == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = sjis::char_len(text, i);
    if (n == 1 && text[i] == '<')
      out += "&lt;";
    else if (n == 1 && text[i] == '>')
      out += "&gt;";
    else
      out.append(text.substr(i, n));
    i += n;
  }
  return out;
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
