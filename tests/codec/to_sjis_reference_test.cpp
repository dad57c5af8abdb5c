// to_sjis on Shift_JIS and ISO-2022-JP text against a plain reference: the
// conversion written the simple way, a line at a time and a byte at a time.
// Text under the Shift_JIS label that is no Shift_JIS but well-formed UTF-8
// is UTF-8, each character converted by the system's iconv on its own.
// The program's own converter takes shortcuts (lines without ESC checked in
// one go, the pair table read once); whatever the input, the bytes must be
// the same.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "codec/charset_scan.h"
#include "codec/charsets.h"
#include "codec/cp932.h"
#include "codec/jis.h"
#include "codec/sjis_text.h"

namespace {

#define ESC "\x1B"

// Shift_JIS kept, what is no code page 932 character a geta mark, "&" before
// "#" written "&#38;". False when a geta mark was written.
bool reference_checked(std::string_view s, std::string& out, bool whole_pairs) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  bool clean = true;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = at(i);
    if (c < 0x80) {
      out += c == '&' && i + 1 < s.size() && s[i + 1] == '#' ? "&#38;" : std::string(1, static_cast<char>(c));
      ++i;
    } else if (c >= 0xA1 && c <= 0xDF) {
      out += static_cast<char>(c);
      ++i;
    } else if (sjis::is_lead(c) && i + 1 < s.size() && cp932::is_pair(c, at(i + 1))) {
      out.append(s.substr(i, 2));
      i += 2;
    } else {
      out += "\x81\xAC";
      clean = false;
      const bool pair =
          sjis::is_lead(c) && i + 1 < s.size() && sjis::is_trail(at(i + 1)) && (whole_pairs || at(i + 1) >= 0x80);
      i += pair ? 2 : 1;
    }
  }
  return clean;
}

// Every line (up to "\r" or "\n") on its own: with an ESC through
// Jis_To_Sjis, without as Shift_JIS; the line end copied.
std::string reference_jis(std::string_view text) {
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    const std::string_view line = text.substr(pos, end - pos);
    if (line.find('\x1B') == std::string_view::npos)
      reference_checked(line, out, false);
    else
      reference_checked(Jis_To_Sjis(line), out, true);
    pos = end;
    if (pos < text.size()) out += text[pos++];
  }
  return out;
}

// Well-formed UTF-8 (else nothing): every character through iconv to code
// page 932 on its own, a decimal reference where it has none there.
std::optional<std::string> reference_utf8(std::string_view text) {
  std::string out;
  const iconv_t cd = iconv_open("CP932", "UTF-8");
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    char32_t cp = len == 1 ? c : c & (0x7F >> len);
    bool ok = c < 0x80 || (c >= 0xC2 && c <= 0xF4 && i + len <= text.size());
    for (std::size_t k = 1; ok && k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(text[i + k]);
      ok = t >= 0x80 && t <= 0xBF;
      cp = cp << 6 | (t & 0x3F);
    }
    ok = ok && !(cp >= 0xD800 && cp < 0xE000) && cp <= 0x10FFFF &&
         (len == 1 || cp >= (len == 2   ? 0x80u
                             : len == 3 ? 0x800u
                                        : 0x10000u));
    if (!ok) {
      iconv_close(cd);
      return std::nullopt;
    }
    char in[4], sj[8];
    std::copy(text.begin() + static_cast<std::ptrdiff_t>(i), text.begin() + static_cast<std::ptrdiff_t>(i + len), in);
    char *src = in, *dst = sj;
    std::size_t left = len, room = sizeof sj;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (c == '&' && i + 1 < text.size() && text[i + 1] == '#')
      out += "&#38;";
    else if (iconv(cd, &src, &left, &dst, &room) != static_cast<std::size_t>(-1))
      out.append(sj, static_cast<std::size_t>(dst - sj));
    else
      out += "&#" + std::to_string(static_cast<std::uint32_t>(cp)) + ";";
    i += len;
  }
  iconv_close(cd);
  return out;
}

std::string reference(std::string_view text) {
  if (codec_detail::has_jis_escape(text)) return reference_jis(text);
  std::string out;
  if (!reference_checked(text, out, false))
    if (std::optional<std::string> utf8 = reference_utf8(text)) return *utf8;
  return out;
}

// The escapes of ISO-2022-JP-1, -2 and -3 go through iconv: not modelled here.
bool has_iconv_escape(std::string_view s) {
  for (std::size_t i = s.find('\x1B'); i != std::string_view::npos; i = s.find('\x1B', i + 1)) {
    const std::string_view r = s.substr(i + 1);
    if (r.starts_with("$(") || r.starts_with("$A") || r.starts_with(".") || r.starts_with("N")) return true;
  }
  return false;
}

TEST(ToSjisReference, NamedCases) {
  const struct {
    const char* name;
    std::string in;
  } rows[] = {
      {"empty", ""},
      {"kanji line", ESC "$BF|K\\8l" ESC "(B"},
      {"CR LF lines, some without ESC", "abc\r\n" ESC "$B$\"" ESC "(B\r\n\r\nx&#1;\r\n" ESC "$B$$" ESC "(B"},
      {"CR-only line ends", ESC "$B$\"\r$\"\r\rplain\r" ESC "(Ix"},
      {"LF-only line ends", "a\n" ESC "$B$\"\n\n" ESC "$B"},
      {"ESC at the very end", "abc\r\n" ESC "$B$\"" ESC},
      {"ESC at a line end", ESC "(B" ESC "\r\nnext"},
      {"cut escape at a line end", ESC "$B$\"" ESC "&@" ESC "$\r\n" ESC "(B"},
      {"lone lead byte before a line end", "\x82\r\n" ESC "$B$\"\x82\r\n\x82"},
      {"lone lead byte at the end", ESC "(Bx\x82"},
      {"invalid pairs between JIS lines", ESC "$B$\"" ESC "(B\n\x85\x40\x81\x7F\xFD\x80\xA0\n" ESC "(B"},
      {"JIS pair giving an invalid code", ESC "$B)!*~" ESC "(B"},
      {"odd byte in kanji mode", ESC "$B$\"$" ESC "(B"},
      {"&# around the lines", "&#\r\n" ESC "$B&#" ESC "(B&#\n&"},
      {"lead bytes before CR and LF", "\x82\n\x82\r\x82\x0D"},
      {"8-bit text beside escapes", "\x93\xFA" ESC "$B$\"" ESC "(B\xFA\x40\xB1"},
      {"half-width katakana", ESC "(I12" ESC "(B\r\n" ESC "(I\x7F\xB1"},
      {"no escape at all", "plain \x93\xFA\x96\x7B & &# <>"},
      {"UTF-8 under the Shift_JIS label", "caf\xC3\xA9 \xE2\x80\x94 &# \xE3\x83\xA1\xE3\x83\xBC\xE3\x83\xAB"},
      {"broken Shift_JIS that is no UTF-8 either", "\x93\xFA\x80\xC3\xA9"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(to_sjis(r.in, "Shift_JIS"), reference(r.in));
  }
}

TEST(ToSjisReference, SeededRandomText) {
  const std::vector<std::string> pieces = {
      ESC "$B",   ESC "$@",   ESC "(B",   ESC "(J",   ESC "(I",   ESC "&@" ESC "$B",
      ESC "&@",   ESC "$",    ESC "(",    ESC,        "$\"",      "-!",
      "y!",       "F|",       "K\\",      ")!",       "\x21\x7E", "\r\n",
      "\r",       "\n",       "&",        "#",        "&#",       "<",
      ">",        ";",        "a",        " ",        "\x82\xA0", "\x93\xFA",
      "\x81\xAC", "\xFA\x40", "\x85\x40", "\x81\x7F", "\xEF\xFC",
  };
  std::mt19937 rng(20261208);
  for (int round = 0; round < 4000; ++round) {
    std::string in;
    const int len = static_cast<int>(rng() % 40);
    for (int k = 0; k < len; ++k) {
      switch (rng() % 4) {
        case 0:
        case 1:
          in += pieces[rng() % pieces.size()];
          break;
        case 2: {
          // A lead byte, a trail byte, or a byte no character uses.
          static const unsigned char kBytes[] = {0x81, 0x9F, 0xE0, 0xFC, 0x40, 0x7E,
                                                 0x80, 0xA0, 0xA1, 0xDF, 0xFD, 0xFF};
          in += static_cast<char>(kBytes[rng() % sizeof kBytes]);
          break;
        }
        default:
          in += static_cast<char>(0x21 + rng() % 0x5E);  // JIS pair bytes
      }
    }
    if (has_iconv_escape(in)) continue;
    SCOPED_TRACE(::testing::PrintToString(in));
    ASSERT_EQ(to_sjis(in, "Shift_JIS"), reference(in));
  }
}

// Lines of the common kind, which take the one-pass conversion: kanji and
// ASCII escapes, pairs of 0x21-0x7E (assigned, unassigned, NEC rows), plain
// ASCII; now and then something that sends a line down the general path.
TEST(ToSjisReference, SeededCommonJisLines) {
  const std::vector<std::string> pieces = {ESC "$B", ESC "$@", ESC "(B", ESC "(J", "$\"",      "F|",       "K\\",
                                           "-!",     "/!",     "t&",     "y!",     "\x7E\x7E", "\x21\x21", "abc",
                                           " ",      "\t",     "#",      "\r\n",   "\n",       "\r"};
  const std::vector<std::string> rare = {"&", "&#", "\x82\xA0", ESC, ESC "(I", ESC "$(D"};
  std::mt19937 rng(20261209);
  for (int round = 0; round < 4000; ++round) {
    std::string in;
    const int len = static_cast<int>(rng() % 60);
    for (int k = 0; k < len; ++k) {
      if (rng() % 50 == 0)
        in += rare[rng() % rare.size()];
      else if (rng() % 3 == 0)
        in += static_cast<char>(0x21 + rng() % 0x5E);
      else
        in += pieces[rng() % pieces.size()];
    }
    if (has_iconv_escape(in)) continue;
    SCOPED_TRACE(::testing::PrintToString(in));
    ASSERT_EQ(to_sjis(in, "Shift_JIS"), reference(in));
  }
}

}  // namespace
