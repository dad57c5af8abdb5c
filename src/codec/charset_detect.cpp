// detect_charset: the charset of unlabelled or wrongly labelled text. The
// rule is written on the declaration in charsets.h; the counts here are its
// scores, each one pass over the text.
#include <cstddef>
#include <string_view>

#include "codec/charset_scan.h"
#include "codec/charsets.h"
#include "codec/cp932.h"
#include "codec/sjis_text.h"

namespace {

struct Reading {
  std::size_t chars = 0;  // multi-byte characters
  std::size_t bad = 0;    // bytes or sequences that fit nothing
};

Reading read_utf8(std::string_view s) {
  Reading r;
  for (std::size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    const codec_detail::Utf8Step st = codec_detail::utf8_step(s, i);
    ++(st.ok ? r.chars : r.bad);
    i += st.len;
  }
  return r;
}

// Half-width katakana stand alone and count as no double-byte character:
// EUC-JP text read as Shift_JIS is mostly such bytes.
Reading read_sjis(std::string_view s) {
  Reading r;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) {
      ++i;
    } else if (sjis::is_lead(c) && i + 1 < s.size() && cp932::is_pair(c, static_cast<unsigned char>(s[i + 1]))) {
      ++r.chars;
      i += 2;
    } else {
      ++r.bad;
      ++i;
    }
  }
  return r;
}

Reading read_euc(std::string_view s) {
  Reading r;
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const auto high = [](unsigned char c) { return c >= 0xA1 && c <= 0xFE; };
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = at(i);
    if (c < 0x80) {
      ++i;
    } else if (c == 0x8E && i + 1 < s.size() && at(i + 1) >= 0xA1 && at(i + 1) <= 0xDF) {
      ++r.chars;
      i += 2;
    } else if (c == 0x8F && i + 2 < s.size() && high(at(i + 1)) && high(at(i + 2))) {
      ++r.chars;
      i += 3;
    } else if (high(c) && i + 1 < s.size() && high(at(i + 1))) {
      ++r.chars;
      i += 2;
    } else {
      ++r.bad;
      ++i;
    }
  }
  return r;
}

}  // namespace

std::string_view detect_charset(std::string_view bytes) {
  if (codec_detail::has_jis_escape(bytes)) return "ISO-2022-JP";
  if (sjis::is_ascii(bytes)) return "US-ASCII";
  const Reading utf8 = read_utf8(bytes);
  if (utf8.chars > utf8.bad) return "UTF-8";
  const Reading sj = read_sjis(bytes);
  const Reading euc = read_euc(bytes);
  if (euc.bad < sj.bad || (euc.bad == sj.bad && euc.chars > sj.chars)) return "EUC-JP";
  return "Shift_JIS";
}
