#include "mail/header_block.h"

#include "codec/sjis_text.h"

namespace {

// A name longer than a mail line may be (998 bytes) is left to GMime too,
// which reads it, and from some 4,200 bytes on loses the rest of the
// message after it: no mailer writes such a name, and whatever reads it
// reads it alike.
constexpr std::size_t kLongestName = 998;

bool valid_name(std::string_view name) {
  if (name.empty() || name.size() > kLongestName) return false;
  for (const char c : name)
    if (c < 33 || c > 126) return false;
  return true;
}

// "=?" charset "?" B or Q "?": the start of an encoded word.
bool starts_encoded_word(std::string_view line) {
  if (!line.starts_with("=?")) return false;
  const std::size_t q = line.find('?', 2);
  return q != std::string_view::npos && q > 2 && q + 2 < line.size() &&
         std::string_view("BbQq").find(line[q + 1]) != std::string_view::npos && line[q + 2] == '?' &&
         line.substr(2, q - 2).find_first_of(" \t") == std::string_view::npos;
}

}  // namespace

HeaderLine header_line_kind(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty()) return HeaderLine::End;
  const char first = line[0];
  if (first == ' ' || first == '\t') return HeaderLine::Continuation;
  if (first == '=' && starts_encoded_word(line)) return HeaderLine::BareContinuation;
  // The name: up to the colon, blanks only before it.
  std::size_t i = 0;
  const std::size_t n = line.size();
  while (i < n && line[i] != ':' && line[i] != ' ' && line[i] != '\t') ++i;
  while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (i < n && line[i] == ':') return HeaderLine::Field;
  return first == 'F' && line.starts_with("From ") ? HeaderLine::Field : HeaderLine::Other;
}

bool read_header_block(std::string_view raw, std::vector<BlockField>& fields, std::size_t& body) {
  fields.reserve(16);             // a message's header at once, not in five doublings
  std::size_t at = 0, value = 0;  // value: where the last field's value starts
  for (;;) {
    const std::size_t lf = raw.find('\n', at);
    if (lf == std::string_view::npos) return false;  // no empty line ends the header
    std::string_view line = raw.substr(at, lf - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos) return false;
    const std::size_t start = at;
    at = lf + 1;
    if (line.empty()) {
      body = at;
      return !fields.empty();
    }
    if (line[0] == ' ' || line[0] == '\t') {
      if (fields.empty()) return false;
      fields.back().raw = raw.substr(value, lf - value);
      continue;
    }
    // An encoded word folded without its blank goes on the field before it.
    if (line[0] == '=' && starts_encoded_word(line)) return false;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !valid_name(line.substr(0, colon))) return false;
    value = start + colon + 1;
    fields.push_back({line.substr(0, colon), raw.substr(value, lf - value)});
  }
}

bool same_field(std::string_view a, std::string_view b) { return sjis::compare_nocase(a, b) == 0; }

std::string lower_trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

bool known_encoding(std::string_view value, BodyEncoding& encoding) {
  const std::string e = lower_trimmed(value);
  if (e == "7bit" || e == "8bit" || e == "binary")
    encoding = BodyEncoding::Plain;
  else if (e == "base64")
    encoding = BodyEncoding::Base64;
  else if (e == "quoted-printable")
    encoding = BodyEncoding::QuotedPrintable;
  else
    return false;
  return true;
}
