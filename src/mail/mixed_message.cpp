#include "mail/mixed_message.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "codec/charsets.h"
#include "codec/transfer_codings.h"
#include "mail/header_block.h"
#include "mail/html_text.h"
#include "mail/part_text.h"
#include "mail/uu_blocks.h"

namespace {

// A Content-Type or Content-Disposition value: its type (lower case, with
// "/" and subtype for a media type) and its parameters, names in lower case.
struct FieldValue {
  std::string type;
  std::vector<std::pair<std::string, std::string>> params;

  const std::string* param(std::string_view name) const {
    for (const auto& [n, v] : params)
      if (n == name) return &v;
    return nullptr;
  }
};

bool token_char(char c) {
  return c > 32 && c < 127 && std::string_view("()<>@,;:\\\"/[]?=").find(c) == std::string_view::npos;
}

void skip_blanks(std::string_view s, std::size_t& i) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
}

std::string lower_token(std::string_view s, std::size_t& i) {
  std::string out;
  for (; i < s.size() && token_char(s[i]); ++i) out += s[i] >= 'A' && s[i] <= 'Z' ? static_cast<char>(s[i] + 32) : s[i];
  return out;
}

bool read_param_value(std::string_view s, std::size_t& i, std::string& value) {
  if (i < s.size() && s[i] != '"') {
    const std::size_t start = i;
    while (i < s.size() && token_char(s[i])) ++i;
    value.assign(s.substr(start, i - start));
    return !value.empty();
  }
  const std::size_t start = ++i;
  for (; i < s.size() && s[i] != '"'; ++i)
    if (s[i] == '\\' || (s[i] < 32 && s[i] != '\t') || s[i] > 126) return false;
  if (i >= s.size()) return false;
  value.assign(s.substr(start, i++ - start));
  return true;
}

// The value by the strict grammar of mail/mixed_message.h; media tells
// whether it is a media type ("type/subtype").
std::optional<FieldValue> read_value(std::string_view s, bool media) {
  FieldValue out;
  std::size_t i = 0;
  skip_blanks(s, i);
  out.type = lower_token(s, i);
  if (out.type.empty()) return std::nullopt;
  if (media) {
    if (i >= s.size() || s[i] != '/') return std::nullopt;
    ++i;
    const std::string subtype = lower_token(s, i);
    if (subtype.empty()) return std::nullopt;
    out.type += '/' + subtype;
  }
  for (;;) {
    skip_blanks(s, i);
    if (i == s.size()) return out;
    if (s[i] != ';') return std::nullopt;
    ++i;
    skip_blanks(s, i);
    if (i == s.size() || s[i] == ';') continue;
    std::string name = lower_token(s, i), value;
    skip_blanks(s, i);
    // "name*" is an RFC 2231 form, which GMime reads.
    if (name.empty() || name.find('*') != std::string::npos || i == s.size() || s[i] != '=') return std::nullopt;
    ++i;
    skip_blanks(s, i);
    if (!read_param_value(s, i, value) || out.param(name)) return std::nullopt;
    out.params.emplace_back(std::move(name), std::move(value));
  }
}

// One part as the GMime reader sees it.
struct Part {
  std::string type = "text/plain";
  std::string charset;
  std::string given_name;  // filename, else name; empty when none
  std::string type_raw, disposition_raw;
  bool attachment = false;
  BodyEncoding encoding = BodyEncoding::Plain;
  std::string_view content;
};

// The file name parameter of a value, when it is one GMime reads as we do.
bool name_param(const FieldValue& v, const char* param, const std::string& raw, std::string& name) {
  const std::string* value = v.param(param);
  if (!value || !name.empty()) return true;
  if (value->empty() || raw_parameter(raw, param) != *value) return false;
  if (value->find("=?") != std::string::npos && Decode_Header(*value).empty()) return false;
  name = *value;
  return true;
}

bool no_encoded_words(const FieldValue& v) {
  for (const auto& [name, value] : v.params)
    if (name != "name" && name != "filename" && value.find("=?") != std::string::npos) return false;
  return true;
}

// A CR that ends no line, which GMime does not read as Unfold does. A raw
// value ends before the LF of its last line.
bool lone_cr(std::string_view raw) {
  for (std::size_t at = raw.find('\r'); at != std::string_view::npos; at = raw.find('\r', at + 1))
    if (at + 1 < raw.size() && raw[at + 1] != '\n') return true;
  return false;
}

// The value of a field as the readers here take it: unfolded, or nothing
// when it holds a lone CR.
std::optional<std::string> Value(const BlockField& f) {
  if (lone_cr(f.raw)) return std::nullopt;
  return Unfold(f.raw);
}

// The fields of a part, read into p; false when one is not a plain one.
bool read_part_fields(const std::vector<BlockField>& fields, Part& p) {
  bool typed = false, disposed = false, encoded = false;
  std::optional<FieldValue> type, disposition;
  for (const BlockField& f : fields) {
    if (same_field(f.name, "Content-Type")) {
      std::optional<std::string> value = Value(f);
      if (!value) return false;
      p.type_raw = std::move(*value);
      if (typed || !(type = read_value(p.type_raw, true)) || !no_encoded_words(*type)) return false;
      typed = true;
    } else if (same_field(f.name, "Content-Disposition")) {
      std::optional<std::string> value = Value(f);
      if (!value) return false;
      p.disposition_raw = std::move(*value);
      if (disposed || !(disposition = read_value(p.disposition_raw, false)) || !no_encoded_words(*disposition))
        return false;
      disposed = true;
    } else if (same_field(f.name, "Content-Transfer-Encoding")) {
      const std::optional<std::string> value = Value(f);
      if (encoded || !value || !known_encoding(*value, p.encoding)) return false;
      encoded = true;
    }
  }
  if (type) {
    if (type->type.starts_with("multipart/") || type->type.starts_with("message/")) return false;
    p.type = type->type;
    if (const std::string* charset = type->param("charset")) p.charset = *charset;
  }
  if (disposition) {
    p.attachment = disposition->type == "attachment";
    if (!name_param(*disposition, "filename", p.disposition_raw, p.given_name)) return false;
  }
  return !type || name_param(*type, "name", p.type_raw, p.given_name);
}

// The boundary of a message this reader takes, else empty.
std::string mixed_boundary(const std::vector<BlockField>& fields, MailHeader& header) {
  std::string boundary;
  bool typed = false, encoded = false;
  for (const BlockField& f : fields) {
    if (same_field(f.name, "Content-Type")) {
      const std::optional<std::string> value = Value(f);
      const std::optional<FieldValue> v = value ? read_value(*value, true) : std::nullopt;
      const std::string* b = v ? v->param("boundary") : nullptr;
      if (typed || !v || v->type != "multipart/mixed" || !b || !no_encoded_words(*v)) return {};
      boundary = *b;
      typed = true;
    } else if (same_field(f.name, "Content-Transfer-Encoding")) {
      BodyEncoding e;
      const std::optional<std::string> value = Value(f);
      if (encoded || !value || !known_encoding(*value, e) || e != BodyEncoding::Plain) return {};
      encoded = true;
    } else if (same_field(f.name, "Content-Disposition")) {
      return {};
    }
    take_field(f.name, f.raw, header);
  }
  return boundary;
}

// The next place of needle in text from from on, or npos. memmem takes time
// linear in the text whatever it holds, also for a long boundary of dashes
// in a body of dashes.
std::size_t Find(std::string_view text, std::string_view needle, std::size_t from) {
  if (from > text.size()) return std::string_view::npos;
  const void* at = ::memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
  return at ? static_cast<std::size_t>(static_cast<const char*>(at) - text.data()) : std::string_view::npos;
}

// The parts between the delimiter lines of body; false when a line starts
// with the delimiter and is none, the close delimiter is missing, or a
// delimiter line ends otherwise than the message's first line (crlf), which
// GMime reads otherwise.
bool split_parts(std::string_view body, const std::string& boundary, bool crlf, std::vector<std::string_view>& parts) {
  const std::string delimiter = "--" + boundary;
  std::size_t part_start = std::string_view::npos;
  for (std::size_t at = Find(body, delimiter, 0); at != std::string_view::npos; at = Find(body, delimiter, at + 1)) {
    if (at > 0 && body[at - 1] != '\n') continue;
    const std::size_t lf = body.find('\n', at);
    std::string_view line = body.substr(at, lf == std::string_view::npos ? lf : lf - at);
    const bool cr = line.ends_with('\r');
    if (cr) line.remove_suffix(1);
    const std::string_view rest = line.substr(delimiter.size());
    if ((rest != "" && rest != "--") || (lf != std::string_view::npos && cr != crlf)) return false;
    if (part_start != std::string_view::npos) parts.push_back(body.substr(part_start, at - part_start));
    if (rest == "--") {
      // Nothing after the close may look like a delimiter.
      return !parts.empty() && Find(body, delimiter, at + 1) == std::string_view::npos;
    }
    if (lf == std::string_view::npos) return false;
    part_start = lf + 1;
  }
  return false;
}

// A part; crlf tells how the message ends its first line.
std::optional<Part> read_part(std::string_view raw, bool crlf) {
  std::vector<BlockField> fields;
  std::size_t body = 0;
  Part p;
  if (!read_header_block(raw, fields, body) || !read_part_fields(fields, p)) return std::nullopt;
  p.content = raw.substr(body);
  if (p.content.empty()) return p;
  // The line end before the delimiter belongs to the delimiter. GMime
  // takes it to be as long as the message's own line ends, so a part whose
  // last line ends otherwise is left to it.
  const std::string_view end = crlf ? "\r\n" : "\n";
  if (!p.content.ends_with(end) || (!crlf && p.content.ends_with("\r\n"))) return std::nullopt;
  p.content.remove_suffix(end.size());
  return p;
}

// What the GMime reader makes of the parts of a multipart/mixed level.
class Assembly {
 public:
  explicit Assembly(MailMessage& out) : out_(out) {}

  void add(const Part& p, bool html_shown) {
    std::string name =
        p.given_name.empty() ? std::string() : part_file_name(p.given_name, p.disposition_raw, p.type_raw);
    const bool inline_text = name.empty() && !p.attachment;
    if (inline_text && (p.type == "text/plain" || p.type == "text/rfc822-headers")) {
      std::string text = to_sjis(bytes(p), p.charset);
      for (UuFile& file : take_uu_blocks(text))
        add_file(std::move(file.name), "application/octet-stream", std::move(file.data));
      add_text_block(out_.text, text, has_text_);
      return;
    }
    if (inline_text && p.type == "text/html" && html_shown) {
      add_text_block(out_.text, html_to_text(to_sjis(bytes(p), p.charset)), has_text_);
      return;
    }
    add_file(std::move(name), p.type, std::string(p.content), p.encoding);
  }

 private:
  // The bytes of a text part: decoded into scratch_ when it has a transfer
  // encoding, else the content as it stands.
  std::string_view bytes(const Part& p) {
    if (p.encoding == BodyEncoding::Plain) return p.content;
    scratch_ = decode_body(p.content, p.encoding);
    return scratch_;
  }
  // The file keeps its transfer encoding; it is undone where it is saved.
  void add_file(std::string name, std::string type, std::string data, BodyEncoding encoding = BodyEncoding::Plain) {
    if (name.empty()) name = unnamed_file(++unnamed_, type);
    out_.attachments.push_back({std::move(name), std::move(type), std::move(data), encoding});
  }

  MailMessage& out_;
  std::string scratch_;
  int unnamed_ = 0;
  bool has_text_ = false;
};

}  // namespace

std::optional<MailMessage> read_mixed_message(std::string_view raw) {
  std::vector<BlockField> fields;
  std::size_t body = 0;
  MailMessage out;
  // GMime reads a part holding a NUL otherwise; binary files come in base64.
  if (!read_header_block(raw, fields, body) || raw.find('\0', body) != std::string_view::npos) return std::nullopt;
  const std::string boundary = mixed_boundary(fields, out.header);
  const std::size_t first_lf = raw.find('\n');  // there is one: the header block was read
  const bool crlf = first_lf > 0 && raw[first_lf - 1] == '\r';
  std::vector<std::string_view> slices;
  if (boundary.empty() || !split_parts(raw.substr(body), boundary, crlf, slices)) return std::nullopt;
  std::vector<Part> parts;
  for (std::string_view slice : slices) {
    std::optional<Part> p = read_part(slice, crlf);
    if (!p) return std::nullopt;
    parts.push_back(std::move(*p));
  }
  // An inline HTML part is shown as text only where no plain part stands
  // beside it.
  bool plain_beside = false;
  for (const Part& p : parts) plain_beside |= p.type == "text/plain" && !p.attachment && p.given_name.empty();
  for (const Part& p : parts) {
    if (!p.type.starts_with("text/")) continue;
    out.header.text_charset = p.charset;
    break;
  }
  Assembly assembly(out);
  for (const Part& p : parts) assembly.add(p, !plain_beside);
  end_text(out.text);
  return out;
}
