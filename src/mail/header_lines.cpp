#include <array>
#include <string_view>

#include "codec/sjis_text.h"
#include "mail/header_fields.h"

namespace {

// Field names that start a message or end the field before them.
constexpr std::array<std::string_view, 18> kHeaderNames = {"RETURN-PATH:",
                                                           "RECEIVED:",
                                                           "SENDER:",
                                                           "MESSAGE-ID:",
                                                           "IN-REPLY-TO:",
                                                           "REFERENCES:",
                                                           "PRECEDENCE:",
                                                           "LINES:",
                                                           "MIME-VERSION:",
                                                           "CONTENT-TYPE:",
                                                           "SUBJECT:",
                                                           "FROM:",
                                                           "TO:",
                                                           "DATE:",
                                                           "REPLY-TO:",
                                                           "DELIVERED-TO:",
                                                           "CONTENT-TRANSFER-ENCODING:",
                                                           "PATH:"};

// A line that opens some other field ("Cc: ...", "Organization: ..."): a
// name of printable ASCII characters other than blank and colon at the very
// start of the line, then a colon. Lines beginning with an encoded word
// ("=?...") are text, whatever they hold.
bool opens_other_field(std::string_view line) {
  if (line.substr(0, 2) == "=?") return false;
  std::size_t i = 0;
  while (i < line.size() && line[i] > ' ' && line[i] < 0x7F && line[i] != ':') ++i;
  return i > 0 && i < line.size() && line[i] == ':';
}

}  // namespace

bool Header_Check(const std::string& line) {
  const std::size_t colon = sjis::find_char(line, ':');
  if (colon == std::string::npos) return false;
  const std::string_view name = std::string_view(line).substr(0, colon + 1);
  // "X-*:" as written: an upper-case X, a hyphen, anything, the colon.
  if (name.size() >= 3 && name[0] == 'X' && name[1] == '-') return true;
  const std::string upper = sjis::to_upper(name);
  for (std::string_view known : kHeaderNames)
    if (upper == known) return true;
  return false;
}

bool Check_Honbun(const std::string& path, const std::string& line) {
  const std::string_view t = sjis::trim(line);
  if (t.empty()) return true;
  // The line first: it is asked of every header line, the path's ending
  // costs a walk over the path.
  return t == "--------" && sjis::to_lower(sjis::right(path, 3)) == "txt";
}

// A line continues the field before it when it is no known header line and
// does not end the header block. It must also not open another field of its
// own (a name and a colon at the very start of the line): an unlisted field
// such as "Cc:" after From would otherwise be glued to the sender. A line
// carrying an encoded word continues even when it is blank-free and
// unfolded, as some mailers write them.
bool Check_NextSubj(const std::string& next, const std::string& path) {
  if (Header_Check(next)) return false;
  if (opens_other_field(next)) return false;
  const std::string upper = sjis::to_upper(next);
  if (sjis::contains(upper, "=?ISO-2022-JP?B?") || sjis::contains(upper, "=?SHIFT_JIS?B?")) return true;
  return !Check_Honbun(path, next);
}
