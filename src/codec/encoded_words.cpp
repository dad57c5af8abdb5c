// Decode_Header: MIME encoded words and raw text of a header field value to
// Shift_JIS. The grammar and what it tolerates are written on the
// declaration in transfer_codings.h.
//
// The text is read in one pass into segments (plain text, decoded words);
// blanks between two words are then dropped, neighbouring words of one
// charset joined, and each segment converted with to_sjis_to. A segment is a
// place in the text or in one buffer of decoded bytes, and the buffers are
// kept for the thread's next value: decoding a value allocates only its result.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "codec/charsets.h"
#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"

namespace {

// Plain text is text[begin, end); a word's decoded bytes are
// decoded[begin, end) of the value's Scratch.
struct Segment {
  bool word = false;
  std::string_view charset;  // of a word: without its language suffix
  std::size_t begin = 0, end = 0;
};

// What decoding one value needs besides its result; the buffers keep their
// room from value to value.
struct Scratch {
  std::vector<Segment> segs;
  std::string decoded;    // the words' bytes, one after another
  std::string converted;  // one segment in Shift_JIS
};

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Characters of a charset name (and its language suffix): printable ASCII
// except blanks and "?".
bool is_name_char(char c) { return c > ' ' && c < 0x7F && c != '?'; }

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int b64_value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Base64 without the rules on length: six bits a character, each full byte
// kept; "=" drops the bits of an unfinished byte and starts afresh (so that
// padded pieces run together still decode). False on any other character.
bool decode_b(std::string_view payload, std::string& out) {
  unsigned acc = 0;
  int bits = 0;
  for (char c : payload) {
    if (c == '=') {
      acc = 0;
      bits = 0;
      continue;
    }
    const int v = b64_value(c);
    if (v < 0) return false;
    acc = (acc << 6 | static_cast<unsigned>(v)) & 0xFFFFFF;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  return true;
}

// Q: "_" is a space, "=" and two hexadecimal digits a byte; an "=" without
// them stays "=", everything else stands for itself.
void decode_q(std::string_view payload, std::string& out) {
  for (std::size_t i = 0; i < payload.size(); ++i) {
    const char c = payload[i];
    if (c == '_') {
      out += ' ';
    } else if (c == '=' && i + 2 < payload.size() && hex_value(payload[i + 1]) >= 0 && hex_value(payload[i + 2]) >= 0) {
      out += static_cast<char>(hex_value(payload[i + 1]) * 16 + hex_value(payload[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
}

// The encoded word that opens at pos ("=?" stands there): its segment, its
// bytes appended to decoded, and the position after it; false when the text
// there is no word (decoded then holds what it held before).
bool read_word(std::string_view text, std::size_t pos, Segment& seg, std::size_t& end, std::string& decoded) {
  const std::size_t n = text.size();
  std::size_t i = pos + 2;
  const std::size_t name = i;
  while (i < n && is_name_char(text[i])) ++i;
  if (i == name || i + 2 >= n || text[i] != '?' || text[i + 2] != '?') return false;
  std::string_view charset = text.substr(name, i - name);
  charset = charset.substr(0, charset.find('*'));  // RFC 2231 language suffix
  const char enc = text[i + 1];
  if (charset.empty() || (enc != 'B' && enc != 'b' && enc != 'Q' && enc != 'q')) return false;
  const bool b = enc == 'B' || enc == 'b';
  const std::size_t start = i + 3;
  // The payload ends at "?="; without it, at the next blank, the end of the
  // text, or (Q) where another word opens. A B payload holds nothing but
  // Base64 characters and "=": any other character makes no word. Every scan
  // stops before the next word's "?", so no text is read more than twice.
  std::size_t j = start;
  for (; j < n && !is_blank(text[j]); ++j) {
    if (text[j] == '?' && j + 1 < n && text[j + 1] == '=') break;
    if (b ? (b64_value(text[j]) < 0 && text[j] != '=') : (text[j] == '=' && j + 1 < n && text[j + 1] == '?')) break;
  }
  std::size_t stop = j;
  end = j;
  if (j < n && text[j] == '?' && (j + 1 == n || text[j + 1] == '=')) {
    end = std::min(j + 2, n);  // "?=", or its "?" alone at the very end
  } else if (b && j < n && !is_blank(text[j])) {
    return false;
  } else if (!b && j < n && is_blank(text[j])) {
    // Q words of some mailers hold raw blanks: a "?=" further on with no
    // other word opening before it still ends this one.
    for (std::size_t k = j; k + 1 < n; ++k) {
      if (text[k] == '=' && text[k + 1] == '?') break;
      if (text[k] == '?' && text[k + 1] == '=') {
        stop = k;
        end = k + 2;
        break;
      }
    }
  }
  const std::string_view payload = text.substr(start, stop - start);
  seg.word = true;
  seg.charset = charset;
  seg.begin = decoded.size();
  if (b && !decode_b(payload, decoded)) {
    decoded.resize(seg.begin);
    return false;
  }
  if (!b) decode_q(payload, decoded);
  seg.end = decoded.size();
  return true;
}

// Whether the ESC at i opens an ISO-2022-JP escape, and if so whether it
// selects a two-byte set (two_byte is left alone otherwise).
bool jis_escape(std::string_view text, std::size_t i, bool& two_byte) {
  const std::string_view r = text.substr(i + 1);
  if (r.starts_with("$B") || r.starts_with("$@") || r.starts_with("$(D") || r.starts_with("&@")) {
    two_byte = true;
    return true;
  }
  if (r.starts_with("(B") || r.starts_with("(J") || r.starts_with("(I")) {
    two_byte = false;
    return true;
  }
  return false;
}

bool same_charset(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    const char x = (a[k] >= 'A' && a[k] <= 'Z') ? static_cast<char>(a[k] + 32) : a[k];
    const char y = (b[k] >= 'A' && b[k] <= 'Z') ? static_cast<char>(b[k] + 32) : b[k];
    if (x != y) return false;
  }
  return true;
}

// The segments of text into segs, the words' bytes into decoded. Plain text
// stands only before a word or at the end, so no two plain segments meet.
void read_segments(std::string_view text, Scratch& sc) {
  sc.segs.clear();
  sc.decoded.clear();
  auto plain = [&sc](std::size_t begin, std::size_t end) {
    if (begin < end) sc.segs.push_back(Segment{false, {}, begin, end});
  };
  std::size_t from = 0;   // start of the plain text not yet taken
  bool two_byte = false;  // inside raw ISO-2022-JP two-byte text
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '\x1B') {
      jis_escape(text, i, two_byte);
      ++i;
    } else if (two_byte) {
      // JIS pairs may spell "=?"; a blank or control byte can end no pair
      // and so ends such text that lacks its closing escape.
      if (static_cast<unsigned char>(c) <= ' ') two_byte = false;
      ++i;
    } else if (c == '=' && i + 1 < text.size() && text[i + 1] == '?') {
      std::size_t end = 0;
      Segment seg;
      if (read_word(text, i, seg, end, sc.decoded)) {
        plain(from, i);
        sc.segs.push_back(seg);
        i = from = end;
      } else {
        i += 2;
      }
    } else {
      ++i;
    }
  }
  plain(from, text.size());
}

// Drops the blanks between two words and joins words of one charset side by
// side (their bytes lie next to each other in decoded), in place.
void join_words(std::string_view text, std::vector<Segment>& segs) {
  std::size_t kept = 0;
  for (std::size_t k = 0; k < segs.size(); ++k) {
    const Segment s = segs[k];
    const bool between_words = !s.word && k > 0 && k + 1 < segs.size() && segs[k + 1].word &&
                               text.substr(s.begin, s.end - s.begin).find_first_not_of(" \t") == std::string::npos;
    if (between_words) continue;
    if (s.word && kept > 0 && segs[kept - 1].word && same_charset(segs[kept - 1].charset, s.charset))
      segs[kept - 1].end = s.end;
    else
      segs[kept++] = s;
  }
  segs.resize(kept);
}

// Line breaks inside a decoded word become a space, raw ones (the caller's
// unfolding left them) go; NUL bytes go everywhere. None of these bytes is
// ever the second byte of a Shift_JIS character.
void append_clean(std::string_view s, bool word, std::string& out) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\0') continue;
    if (c == '\r' || c == '\n') {
      if (word && !(c == '\n' && i > 0 && s[i - 1] == '\r')) out += ' ';
      continue;
    }
    out += c;
  }
}

// Raw 8-bit text is read in the charset found for all of it together;
// empty when there is none.
std::string raw_charset_of(std::string_view text, const std::vector<Segment>& segs, std::string_view fallback) {
  std::string raw8;
  for (const Segment& s : segs) {
    const std::string_view bytes = text.substr(s.begin, s.end - s.begin);
    if (!s.word && !sjis::is_ascii(bytes)) raw8 += bytes;
  }
  return raw8.empty() ? std::string() : raw_text_charset(raw8, fallback);
}

}  // namespace

std::string Decode_Header(std::string_view text, std::string_view fallback) {
  thread_local Scratch sc;
  read_segments(text, sc);
  join_words(text, sc.segs);
  const std::string raw_charset = raw_charset_of(text, sc.segs, fallback);

  // 7-bit raw text has its own look (ISO-2022-JP escapes or not).
  std::string out;
  out.reserve(text.size());
  for (const Segment& s : sc.segs) {
    const std::string_view bytes = (s.word ? std::string_view(sc.decoded) : text).substr(s.begin, s.end - s.begin);
    if (s.word) {
      to_sjis_to(bytes, s.charset, sc.converted);
    } else if (!sjis::is_ascii(bytes)) {
      to_sjis_to(bytes, raw_charset, sc.converted);
    } else if (bytes.find('\x1B') == std::string::npos && bytes.find("&#") == std::string::npos) {
      append_clean(bytes, false, out);  // what to_sjis would give, without its set-up for each piece
      continue;
    } else {
      to_sjis_to(bytes, "", sc.converted);
    }
    append_clean(sc.converted, s.word, out);
  }
  return out;
}
