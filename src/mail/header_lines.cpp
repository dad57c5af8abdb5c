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

}  // namespace

bool Header_Check(std::string_view line) {
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

bool Check_Honbun(const std::string& path, std::string_view line) {
  if (line.empty()) return true;
  const std::string_view t = sjis::trim(line);
  // The line first: it is asked of every header line, the path's ending
  // costs a walk over the path.
  return t == "--------" && sjis::to_lower(sjis::right(path, 3)) == "txt";
}
