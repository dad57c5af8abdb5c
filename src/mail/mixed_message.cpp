#include "mail/mixed_message.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "codec/charsets.h"
#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"
#include "mail/header_block.h"
#include "mail/html_text.h"
#include "mail/part_text.h"
#include "mail/uu_blocks.h"

namespace {

// What a reader takes: the multipart/mixed reader one level of it, the tree
// reader also nested multiparts, a single text part and RFC 2231 file names.
struct Scope {
  bool tree = false;
};

// Multiparts nested deeper than this are left to GMime.
constexpr int kMaxDepth = 8;

// A Content-Type or Content-Disposition value: its type (lower case, with
// "/" and subtype for a media type) and its parameters, names in lower case.
// A file name given in RFC 2231 form is kept decoded, in UTF-8, and marked.
struct FieldValue {
  std::string type;
  std::vector<std::pair<std::string, std::string>> params;
  struct Extended {
    std::string name;
    int sections;  // read so far; -1 for the form without sections ("name*")
  };
  std::vector<Extended> extended;  // the parameters given in RFC 2231 form

  const std::string* param(std::string_view name) const {
    for (const auto& [n, v] : params)
      if (n == name) return &v;
    return nullptr;
  }
  std::string* param(std::string_view name) {
    return const_cast<std::string*>(static_cast<const FieldValue&>(*this).param(name));
  }
  bool is_extended(std::string_view name) const {
    for (const Extended& e : extended)
      if (e.name == name) return true;
    return false;
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

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Appends the bytes of one section of an RFC 2231 value ("%" and two hex
// digits, else the character itself); false for a stray "%" or a quote.
bool append_percent_decoded(std::string_view s, std::string& out) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\'' || s[i] == '*') return false;
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    const int hi = i + 2 < s.size() ? hex_digit(s[i + 1]) : -1, lo = hi >= 0 ? hex_digit(s[i + 2]) : -1;
    if (lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

// One section of a file name in RFC 2231 form, "name*" (section -1) or
// "name*N*" with its value as written, appended to the decoded name. The
// forms read here: the first section "UTF-8''" (or US-ASCII, a language
// allowed) and percent-encoded bytes, every later one percent-encoded bytes
// only, the sections in order. Anything else is GMime's to read.
bool add_extended_section(std::string_view base, int section, std::string_view value, FieldValue& out) {
  if (base != "name" && base != "filename") return false;
  FieldValue::Extended* ext = nullptr;
  for (FieldValue::Extended& e : out.extended)
    if (e.name == base) ext = &e;
  if (ext) {
    // A later section: numbered on from the sections read so far.
    if (ext->sections < 0 || section != ext->sections) return false;
    ++ext->sections;
    return append_percent_decoded(value, *out.param(base));
  }
  if (section > 0 || out.param(base)) return false;
  const std::size_t q1 = value.find('\''), q2 = q1 == std::string_view::npos ? q1 : value.find('\'', q1 + 1);
  if (q2 == std::string_view::npos) return false;
  std::size_t i = 0;
  const std::string charset = lower_token(value.substr(0, q1), i);
  if (i != q1 || (charset != "utf-8" && charset != "us-ascii")) return false;
  for (char c : value.substr(q1 + 1, q2 - q1 - 1))
    if (!(c == '-' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  std::string decoded;
  if (!append_percent_decoded(value.substr(q2 + 1), decoded)) return false;
  if (charset == "us-ascii" && !sjis::is_ascii(decoded)) return false;
  out.params.emplace_back(std::string(base), std::move(decoded));
  out.extended.push_back({std::string(base), section < 0 ? -1 : 1});
  return true;
}

// "name*" is section -1, "name*N*" section N (no leading zero); false for
// any other form with "*".
bool extended_name(std::string_view name, std::string& base, int& section) {
  const std::size_t star = name.find('*');
  base = std::string(name.substr(0, star));
  std::string_view rest = name.substr(star + 1);
  if (rest.empty()) {
    section = -1;
    return !base.empty();
  }
  if (!rest.ends_with('*') || rest.size() < 2 || rest.size() > 3 || (rest[0] == '0' && rest.size() > 2)) return false;
  rest.remove_suffix(1);
  section = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') return false;
    section = section * 10 + (c - '0');
  }
  return !base.empty();
}

// Whether the file names given in RFC 2231 form decoded to names GMime
// gives as they stand: valid UTF-8, no control character, no encoded word.
bool plain_extended_names(const FieldValue& v) {
  for (const auto& [name, value] : v.params) {
    if (!v.is_extended(name)) continue;
    if (value.empty() || !valid_in(value, "UTF-8") || value.find("=?") != std::string::npos) return false;
    for (char c : value)
      if (static_cast<unsigned char>(c) < 32 || c == 127) return false;
  }
  return true;
}

// One parameter after its ";": false when it is not one read here.
bool read_param(std::string_view s, std::size_t& i, Scope scope, FieldValue& out) {
  std::string name = lower_token(s, i), value;
  skip_blanks(s, i);
  if (name.empty() || i == s.size() || s[i] != '=') return false;
  ++i;
  skip_blanks(s, i);
  if (name.find('*') != std::string::npos) {
    // "name*" is an RFC 2231 form, which GMime reads; the tree reader reads
    // file names given so.
    std::string base;
    int section = 0;
    return scope.tree && i < s.size() && s[i] != '"' && extended_name(name, base, section) &&
           read_param_value(s, i, value) && add_extended_section(base, section, value, out);
  }
  if (!read_param_value(s, i, value) || out.param(name)) return false;
  out.params.emplace_back(std::move(name), std::move(value));
  return true;
}

// The value by the strict grammar of mail/mixed_message.h; media tells
// whether it is a media type ("type/subtype").
std::optional<FieldValue> read_value(std::string_view s, bool media, Scope scope) {
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
    if (i == s.size()) {
      if (!plain_extended_names(out)) return std::nullopt;
      return out;
    }
    if (s[i] != ';') return std::nullopt;
    ++i;
    skip_blanks(s, i);
    if (i == s.size() || s[i] == ';') continue;
    if (!read_param(s, i, scope, out)) return std::nullopt;
  }
}

// One part as the GMime reader sees it.
struct Part {
  std::string type = "text/plain";
  std::string charset;
  std::string given_name;  // filename, else name; empty when none
  std::string type_raw, disposition_raw;
  std::string boundary;  // of a multipart
  bool attachment = false;
  BodyEncoding encoding = BodyEncoding::Plain;
  std::string_view content;
  std::vector<Part> parts;  // of a multipart

  bool multipart() const { return type.starts_with("multipart/"); }
  // Shown as text where it stands (a part the GMime reader takes for
  // inline text of this type).
  bool inline_text(std::string_view of) const { return type == of && !attachment && given_name.empty(); }
};

// The file name parameter of a value, when it is one GMime reads as we do.
bool name_param(const FieldValue& v, const char* param, const std::string& raw, std::string& name) {
  const std::string* value = v.param(param);
  if (!value || !name.empty()) return true;
  if (v.is_extended(param)) {
    name = *value;
    return true;
  }
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

// The Content-Type, Content-Disposition and Content-Transfer-Encoding
// fields of a header block, each at most once; false when one is not a
// plain one.
bool read_content_fields(const std::vector<BlockField>& fields, Scope scope, Part& p, std::optional<FieldValue>& type,
                         std::optional<FieldValue>& disposition) {
  bool typed = false, disposed = false, encoded = false;
  for (const BlockField& f : fields) {
    if (same_field(f.name, "Content-Type")) {
      std::optional<std::string> value = Value(f);
      if (!value) return false;
      p.type_raw = std::move(*value);
      if (typed || !(type = read_value(p.type_raw, true, scope)) || !no_encoded_words(*type)) return false;
      typed = true;
    } else if (same_field(f.name, "Content-Disposition")) {
      std::optional<std::string> value = Value(f);
      if (!value) return false;
      p.disposition_raw = std::move(*value);
      if (disposed || !(disposition = read_value(p.disposition_raw, false, scope)) || !no_encoded_words(*disposition))
        return false;
      disposed = true;
    } else if (same_field(f.name, "Content-Transfer-Encoding")) {
      const std::optional<std::string> value = Value(f);
      if (encoded || !value || !known_encoding(*value, p.encoding)) return false;
      encoded = true;
    }
  }
  return true;
}

// The fields of a part, read into p; false when one is not a plain one. A
// multipart (below the message's own entity only in the tree reader) has a boundary, no transfer encoding
// but 7bit, 8bit or binary, no disposition and no name; a message/* part
// and a digest, whose parts are messages, are GMime's.
bool read_part_fields(const std::vector<BlockField>& fields, Scope scope, bool top, Part& p) {
  std::optional<FieldValue> type, disposition;
  if (!read_content_fields(fields, scope, p, type, disposition)) return false;
  if (type) {
    if (type->type.starts_with("message/") || type->type == "multipart/digest") return false;
    if (type->type.starts_with("multipart/") && !scope.tree && !top) return false;
    p.type = type->type;
    if (const std::string* charset = type->param("charset")) p.charset = *charset;
  }
  if (disposition) {
    p.attachment = disposition->type == "attachment";
    if (!name_param(*disposition, "filename", p.disposition_raw, p.given_name)) return false;
  }
  if (type && !name_param(*type, "name", p.type_raw, p.given_name)) return false;
  if (!p.multipart()) return true;
  const std::string* boundary = type->param("boundary");
  if (!boundary || disposition || !p.given_name.empty() || p.encoding != BodyEncoding::Plain) return false;
  p.boundary = *boundary;
  return true;
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

bool read_parts(std::string_view body, bool crlf, Scope scope, int depth, Part& multipart);

// A part of a multipart; crlf tells how the message ends its first line.
std::optional<Part> read_part(std::string_view raw, bool crlf, Scope scope, int depth) {
  std::vector<BlockField> fields;
  std::size_t body = 0;
  Part p;
  if (!read_header_block(raw, fields, body) || !read_part_fields(fields, scope, false, p)) return std::nullopt;
  p.content = raw.substr(body);
  if (p.content.empty() && !p.multipart()) return p;
  // The line end before the delimiter belongs to the delimiter. GMime
  // takes it to be as long as the message's own line ends, so a part whose
  // last line ends otherwise is left to it.
  const std::string_view end = crlf ? "\r\n" : "\n";
  if (!p.content.ends_with(end) || (!crlf && p.content.ends_with("\r\n"))) return std::nullopt;
  p.content.remove_suffix(end.size());
  if (p.multipart() && !read_parts(p.content, crlf, scope, depth + 1, p)) return std::nullopt;
  return p;
}

// The parts of a multipart whose body is body.
bool read_parts(std::string_view body, bool crlf, Scope scope, int depth, Part& multipart) {
  std::vector<std::string_view> slices;
  if (depth > kMaxDepth || multipart.boundary.empty() || !split_parts(body, multipart.boundary, crlf, slices))
    return false;
  for (std::string_view slice : slices) {
    std::optional<Part> p = read_part(slice, crlf, scope, depth);
    if (!p) return false;
    multipart.parts.push_back(std::move(*p));
  }
  return true;
}

enum class Mode { Show, FilesOnly };

// Whether a part shows plain text where it stands, or holds one that does.
bool has_plain(const Part& p) {
  if (!p.multipart()) return p.inline_text("text/plain");
  for (const Part& child : p.parts)
    if (has_plain(child)) return true;
  return false;
}

// The charset of the first text part in reading order, if any.
const Part* first_text_part(const Part& p) {
  if (!p.multipart()) return p.type.starts_with("text/") ? &p : nullptr;
  for (const Part& child : p.parts)
    if (const Part* text = first_text_part(child)) return text;
  return nullptr;
}

// What the GMime reader makes of the parts of a message.
class Assembly {
 public:
  explicit Assembly(MailMessage& out) : out_(out) {}

  void add(const Part& p, Mode mode, bool html_shown) {
    if (p.multipart()) return multipart(p, mode);
    std::string name = p.given_name.empty() ? std::string()
                                            : part_file_name(p.given_name, p.disposition_raw, p.type_raw,
                                                             p.charset.empty() ? out_.header.text_charset : p.charset);
    const bool inline_text = name.empty() && !p.attachment;
    if (inline_text && (p.type == "text/plain" || p.type == "text/rfc822-headers")) {
      if (mode == Mode::FilesOnly) return;
      std::string text = to_sjis(bytes(p), p.charset);
      for (UuFile& file : take_uu_blocks(text))
        add_file(std::move(file.name), "application/octet-stream", std::move(file.data));
      add_text_block(out_.text, text, has_text_);
      return;
    }
    if (inline_text && p.type == "text/html") {
      if (mode == Mode::FilesOnly) return;
      if (html_shown) return add_text_block(out_.text, html_to_text(to_sjis(bytes(p), p.charset)), has_text_);
    }
    add_file(std::move(name), p.type, std::string(p.content), p.encoding);
  }

 private:
  void multipart(const Part& m, Mode mode) {
    const std::size_t count = m.parts.size();
    if (m.type == "multipart/alternative") {
      std::size_t shown = count;
      for (std::size_t i = 0; i < count && shown == count; ++i)
        if (has_plain(m.parts[i])) shown = i;
      for (std::size_t i = 0; i < count && shown == count; ++i)
        if (m.parts[i].multipart() || m.parts[i].inline_text("text/html")) shown = i;
      if (shown == count) shown = 0;
      for (std::size_t i = 0; i < count; ++i) add(m.parts[i], i == shown ? mode : Mode::FilesOnly, true);
      return;
    }
    if (m.type == "multipart/related" || m.type == "multipart/signed" || m.type == "multipart/encrypted") {
      // The first part is what is shown; the others serve it.
      for (std::size_t i = 0; i < count; ++i) add(m.parts[i], i == 0 ? mode : Mode::FilesOnly, true);
      return;
    }
    // An inline HTML part is shown as text only where no plain part stands
    // beside it.
    bool plain_beside = false;
    for (const Part& p : m.parts) plain_beside |= p.inline_text("text/plain");
    for (const Part& p : m.parts) add(p, mode, !plain_beside);
  }
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

// The message's own entity: a multipart (in the multipart/mixed reader only
// multipart/mixed), or in the tree reader a text part to be shown; false
// for any other.
bool read_top(std::string_view raw, const std::vector<BlockField>& fields, std::size_t body, Scope scope, Part& top) {
  for (const BlockField& f : fields)
    if (same_field(f.name, "Content-Disposition")) return false;
  if (!read_part_fields(fields, scope, true, top)) return false;
  const std::size_t first_lf = raw.find('\n');  // there is one: the header block was read
  const bool crlf = first_lf > 0 && raw[first_lf - 1] == '\r';
  if (!top.multipart()) {
    top.content = raw.substr(body);
    return scope.tree && (top.inline_text("text/plain") || top.inline_text("text/html"));
  }
  if (!scope.tree && top.type != "multipart/mixed") return false;
  return read_parts(raw.substr(body), crlf, scope, 1, top);
}

std::optional<MailMessage> read_message_in(std::string_view raw, Scope scope) {
  thread_local std::vector<BlockField> fields;  // serves every message of the reading thread
  fields.clear();
  std::size_t body = 0;
  // GMime reads a part holding a NUL otherwise; binary files come in base64.
  if (!read_header_block(raw, fields, body) || raw.find('\0', body) != std::string_view::npos) return std::nullopt;
  Part top;
  if (!read_top(raw, fields, body, scope, top)) return std::nullopt;
  MailMessage out;
  for (const BlockField& f : fields) take_field(f.name, f.raw, out.header);
  if (const Part* text = first_text_part(top)) out.header.text_charset = text->charset;
  Assembly(out).add(top, Mode::Show, true);
  end_text(out.text);
  return out;
}

}  // namespace

std::optional<MailMessage> read_mixed_message(std::string_view raw) { return read_message_in(raw, Scope{}); }

std::optional<MailMessage> read_mime_tree(std::string_view raw) { return read_message_in(raw, Scope{.tree = true}); }
