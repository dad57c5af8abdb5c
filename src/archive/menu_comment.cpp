#include "archive/menu_comment.h"

#include "codec/sjis_text.h"

namespace menu_comment {
namespace {

constexpr std::string_view kSlash = "&#47;";
constexpr std::string_view kAmp = "&amp;";
constexpr std::string_view kGt = "&gt;";

// True when text ends the way the start of a comment end does: "--" or
// "--!". "-" and "!" are never the second byte of a double-byte character,
// so looking at bytes is safe.
bool after_dashes(std::string_view text) {
  if (text.ends_with("--")) return true;
  return text.ends_with("--!");
}

// True when text (what follows a "/") starts with the rest of a label text:
// " Message-ID:", " In-Reply-To:" ... The first byte is a space, which is
// never a second byte, and the rest is ASCII, so a byte match is a match of
// characters.
bool label_follows(std::string_view text) {
  if (!text.starts_with(' ')) return false;
  for (std::string_view label : {kStart.substr(4), kParent.substr(2), kSubjectLen.substr(2), kSender.substr(2),
                                 kDate.substr(2), kSubject.substr(2)})
    if (text.starts_with(label)) return true;
  return false;
}

// True when text (what follows an "&" after a space) is "amp;" any number of
// times, then "#47;" and a label tail: an "&" there would be read back as
// (the start of) an escape, so it is written escaped itself. The scan stops
// at the first byte that does not fit, before the next space, so every "&"
// after a space looks only at text no other one looks at.
bool escape_follows(std::string_view text) {
  while (text.starts_with(kAmp.substr(1))) text.remove_prefix(kAmp.size() - 1);
  return text.starts_with(kSlash.substr(1)) && label_follows(text.substr(kSlash.size() - 1));
}

bool after_space(std::string_view text) { return text.ends_with(' '); }

// Appends value escaped; labels: the label rule applies too.
void escape_into(std::string& out, std::string_view value, bool labels) {
  out.reserve(out.size() + value.size());
  for (std::size_t i = 0; i < value.size();) {
    const std::size_t n = sjis::char_len(value, i);
    const char c = value[i];
    const std::string_view before = value.substr(0, i);
    if (n == 1 && (c == '>' || c == '&') && after_dashes(before))
      out += c == '>' ? kGt : kAmp;
    else if (n == 1 && labels && c == '/' && after_space(before) && label_follows(value.substr(i + 1)))
      out += kSlash;
    else if (n == 1 && labels && c == '&' && after_space(before) && escape_follows(value.substr(i + 1)))
      out += kAmp;
    else
      out.append(value.substr(i, n));
    i += n;
  }
}

std::string unescape_from(std::string_view written, bool labels) {
  std::string out;
  out.reserve(written.size());
  for (std::size_t i = 0; i < written.size();) {
    // out is the value read so far, so the tests see what escape saw.
    if (written[i] == '&') {
      const std::string_view rest = written.substr(i);
      if (after_dashes(out)) {
        if (rest.starts_with(kGt)) {
          out += '>';
          i += kGt.size();
          continue;
        }
        if (rest.starts_with(kAmp)) {
          out += '&';
          i += kAmp.size();
          continue;
        }
      } else if (labels && after_space(out)) {
        if (rest.starts_with(kSlash) && label_follows(rest.substr(kSlash.size()))) {
          out += '/';
          i += kSlash.size();
          continue;
        }
        if (rest.starts_with(kAmp) && escape_follows(rest.substr(kAmp.size()))) {
          out += '&';
          i += kAmp.size();
          continue;
        }
      }
    }
    const std::size_t n = sjis::char_len(written, i);
    out.append(written.substr(i, n));
    i += n;
  }
  return out;
}

}  // namespace

bool needs_escape(std::string_view value) {
  return subject_needs_escape(value) || value.find(" /") != std::string_view::npos ||
         value.find(" &") != std::string_view::npos;
}

std::string escape(std::string_view value) {
  std::string out;
  escape_to(out, value);
  return out;
}

void escape_to(std::string& out, std::string_view value) {
  if (!needs_escape(value))
    out.append(value);
  else
    escape_into(out, value, true);
}

std::string unescape(std::string_view written) { return unescape_from(written, true); }

bool subject_needs_escape(std::string_view subject) { return subject.find("--") != std::string_view::npos; }

std::string escape_subject(std::string_view subject) {
  std::string out;
  if (!subject_needs_escape(subject))
    out.append(subject);
  else
    escape_into(out, subject, false);
  return out;
}

std::string unescape_subject(std::string_view written) { return unescape_from(written, false); }

}  // namespace menu_comment
