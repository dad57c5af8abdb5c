#include "archive/menu_comment.h"

#include "codec/sjis_text.h"

namespace menu_comment {
namespace {

// True when text ends the way the start of a comment end does: "--" or
// "--!". "-" and "!" are never the second byte of a double-byte character,
// so looking at bytes is safe.
bool after_dashes(std::string_view text) {
  if (text.ends_with("--")) return true;
  return text.ends_with("--!");
}

}  // namespace

bool needs_escape(std::string_view value) { return value.find("--") != std::string_view::npos; }

std::string escape(std::string_view value) {
  std::string out;
  escape_to(out, value);
  return out;
}

void escape_to(std::string& out, std::string_view value) {
  if (!needs_escape(value)) {
    out.append(value);
    return;
  }
  out.reserve(out.size() + value.size());
  for (std::size_t i = 0; i < value.size();) {
    const std::size_t n = sjis::char_len(value, i);
    const char c = value[i];
    if (n == 1 && (c == '>' || c == '&') && after_dashes(value.substr(0, i)))
      out += c == '>' ? "&gt;" : "&amp;";
    else
      out.append(value.substr(i, n));
    i += n;
  }
}

std::string unescape(std::string_view written) {
  std::string out;
  out.reserve(written.size());
  for (std::size_t i = 0; i < written.size();) {
    // out is the value read so far, so the test sees what escape saw.
    if (written[i] == '&' && after_dashes(out)) {
      std::string_view rest = written.substr(i);
      if (rest.starts_with("&gt;")) {
        out += '>';
        i += 4;
        continue;
      }
      if (rest.starts_with("&amp;")) {
        out += '&';
        i += 5;
        continue;
      }
    }
    const std::size_t n = sjis::char_len(written, i);
    out.append(written.substr(i, n));
    i += n;
  }
  return out;
}

}  // namespace menu_comment
