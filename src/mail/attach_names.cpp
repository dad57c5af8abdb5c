// Attachment names as they come out of a message reduced to plain file names.
//
// The name is Shift_JIS. The file is created under the UTF-8 form of the name
// and the message page links to it by the Shift_JIS bytes, which the browser
// reads back as Shift_JIS: so only characters that code page 932 maps to
// Unicode and back unchanged may stay, and characters it lacks, which the
// reader writes as numeric references ("&#248;"): the file is named by the
// character, and the page links it by the reference. Any other becomes "_". Folder parts
// ("/" and "\" as characters; the second byte of a double-byte character is
// never one), a drive ("C:"), control characters and the characters that
// would break the page's link or are refused by other systems' file names
// are removed or replaced, and the UTF-8 form is kept within kMaxBytes.
// Applying the reduction twice gives the same name.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/cp932.h"
#include "codec/sjis_text.h"
#include "mail/attachments.h"

namespace {

constexpr std::size_t kMaxBytes = 200;    // UTF-8 bytes of the reduced name
constexpr std::size_t kMaxExtChars = 32;  // a longer ".tail" is no extension

struct Piece {
  std::string sj;    // the character as kept, or "_"
  std::size_t utf8;  // its length in UTF-8
};

bool breaks_name(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (c) {
    case '"':
    case '<':
    case '>':
    case '&':
    case '#':
    case '%':
    case '?':  // break the link
    case ':':
    case '*':
    case '|':  // refused elsewhere
      return true;
    default:
      return false;
  }
}

// The length of the numeric reference "&#N;" at s[i] and its value, or 0.
std::size_t reference_at(std::string_view s, std::size_t i, std::uint32_t& cp) {
  if (s.substr(i, 2) != "&#") return 0;
  cp = 0;
  std::size_t k = i + 2;
  while (k < s.size() && k - i < 10 && s[k] >= '0' && s[k] <= '9')
    cp = cp * 10 + static_cast<std::uint32_t>(s[k++] - '0');
  return k > i + 2 && k < s.size() && s[k] == ';' ? k + 1 - i : 0;
}

// A character code page 932 lacks, written as a reference, stays in a name
// when it is a printing character: no control, no bidirectional or
// invisible format character, no surrogate.
bool keeps_reference(std::uint32_t cp) {
  if (cp < 0xA0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  if ((cp >= 0x200B && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2060 && cp <= 0x206F)) return false;
  return cp != 0xFEFF && cp != 0xAD;
}

std::size_t utf8_length(std::uint32_t cp) { return cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; }

// Maps the characters of s, at most max_chars of them.
std::vector<Piece> Pieces(std::string_view s, std::size_t max_chars) {
  std::vector<Piece> out;
  for (std::size_t i = 0; i < s.size() && out.size() < max_chars;) {
    std::uint32_t cp = 0;
    if (const std::size_t ref = reference_at(s, i, cp)) {
      if (keeps_reference(cp))
        out.push_back({std::string(s.substr(i, ref)), utf8_length(cp)});
      else
        out.push_back({"_", 1});
      i += ref;
      continue;
    }
    const std::size_t n = sjis::char_len(s, i);
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (n == 2) {
      const std::string_view ch = s.substr(i, 2);
      if (cp932::round_trips(ch))
        out.push_back({std::string(ch), cp932::to_utf8(ch).size()});
      else
        out.push_back({"_", 1});
    } else if (breaks_name(c)) {
      out.push_back({"_", 1});
    } else if (c < 0x80) {
      out.push_back({std::string(1, static_cast<char>(c)), 1});
    } else if (c >= 0xA1 && c <= 0xDF) {  // half-width katakana
      out.push_back({std::string(1, static_cast<char>(c)), 3});
    } else {  // 0x80, 0xA0, 0xFD-0xFF, or a lead byte without its second byte
      out.push_back({"_", 1});
    }
    i += n;
  }
  return out;
}

std::size_t utf8_size(const std::vector<Piece>& p) {
  std::size_t n = 0;
  for (const Piece& x : p) n += x.utf8;
  return n;
}

}  // namespace

std::string plain_attach_name(const std::string& name) {
  std::string_view s = name;

  // The last path component.
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); i += sjis::char_len(s, i))
    if (sjis::char_len(s, i) == 1 && (s[i] == '/' || s[i] == '\\')) start = i + 1;
  s.remove_prefix(start);

  // A drive letter.
  if (s.size() >= 2 && s[1] == ':' && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z')))
    s.remove_prefix(2);
  s = sjis::trim(s);

  // Base and extension.
  std::string_view base = s, ext;
  const std::size_t dot = sjis::rfind_char(s, '.');
  if (dot != std::string_view::npos && dot > 0 && sjis::length(s.substr(dot)) <= kMaxExtChars) {
    base = s.substr(0, dot);
    ext = s.substr(dot);
  }

  std::vector<Piece> b = Pieces(base, kMaxBytes);
  const std::vector<Piece> e = Pieces(ext, kMaxExtChars);
  std::size_t size = utf8_size(b) + utf8_size(e);
  while (size > kMaxBytes && !b.empty()) {
    size -= b.back().utf8;
    b.pop_back();
  }

  std::string out;
  for (const Piece& x : b) out += x.sj;
  for (const Piece& x : e) out += x.sj;
  out = std::string(sjis::trim(out));
  if (out.empty()) return "attach";
  // No "." or "..", and no hidden file.
  if (out[0] == '.') out[0] = '_';
  return out;
}
