// The message reader, on GMime: GMime finds the structure (parts, their
// headers and parameters, boundaries); this file decides
// what of it is text and what a file, and converts the text to Shift_JIS
// with the program's own converters.
//
// GMime's parser is loose already: part headers in any order and folded,
// preamble and epilogue ignored, a missing closing boundary ending the part
// at the end of the message, parameters in RFC 2231 form, 8-bit bytes in
// parameters read as UTF-8, else as code page 932.
#include "mail/mime_reader.h"

#include <gmime/gmime.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "codec/charsets.h"
#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"
#include "mail/header_block.h"
#include "mail/html_text.h"
#include "mail/mixed_message.h"
#include "mail/part_text.h"
#include "mail/plain_message.h"
#include "mail/uu_blocks.h"

namespace {

struct Unref {
  void operator()(void* p) const {
    if (p) g_object_unref(p);
  }
};
template <class T>
using Ref = std::unique_ptr<T, Unref>;

GMimeParserOptions* Options() {
  static GMimeParserOptions* options = [] {
    g_mime_init();
    GMimeParserOptions* o = g_mime_parser_options_new();
    // Encoded words are read strictly (only whole blank-separated words):
    // in its loose mode GMime searches the rest of a field for the "?=" of
    // every "=?cs?B?" it meets, so a field of many unterminated openers
    // (filename="=?ISO-2022-JP?B?GyRC=?ISO-2022-JP?B?GyRC...) takes time
    // quadratic in its length, and GMime decodes the Content-Type and
    // Content-Disposition of every part as the part is built. Nothing read
    // here depends on GMime's decoding of words: header fields are taken
    // raw, and a file name written with encoded words is decoded from the
    // raw field by Decode_Header (part_file_name), which is linear; GMime's
    // name only tells that there is one.
    g_mime_parser_options_set_rfc2047_compliance_mode(o, GMIME_RFC_COMPLIANCE_STRICT);
    g_mime_parser_options_set_parameter_compliance_mode(o, GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_address_compliance_mode(o, GMIME_RFC_COMPLIANCE_LOOSE);
    static const char* fallback[] = {"UTF-8", "CP932", nullptr};
    g_mime_parser_options_set_fallback_charsets(o, fallback);
    return o;
  }();
  return options;
}

bool same_name(const char* a, const char* b) { return a && g_ascii_strcasecmp(a, b) == 0; }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// The fields a work_list line needs, first copies only.
void read_header(GMimeObject* object, MailHeader& h) {
  GMimeHeaderList* list = g_mime_object_get_header_list(object);
  if (!list) return;
  const int count = g_mime_header_list_get_count(list);
  for (int i = 0; i < count; ++i) {
    GMimeHeader* header = g_mime_header_list_get_header_at(list, i);
    const char* name = g_mime_header_get_name(header);
    const char* raw = g_mime_header_get_raw_value(header);
    if (name) take_field(name, raw ? raw : "", h);
  }
}

std::string stream_bytes(GMimeStream* stream) {
  std::string out;
  if (!stream) return out;
  g_mime_stream_reset(stream);
  char buf[16384];
  for (;;) {
    const ssize_t n = g_mime_stream_read(stream, buf, sizeof buf);
    if (n <= 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  return out;
}

// The decoded bytes of a part.
std::string part_bytes(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return {};
  std::string raw = stream_bytes(g_mime_data_wrapper_get_stream(content));
  switch (g_mime_data_wrapper_get_encoding(content)) {
    case GMIME_CONTENT_ENCODING_BASE64:
      return decode_body(std::move(raw), BodyEncoding::Base64);
    case GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE:
      return decode_body(std::move(raw), BodyEncoding::QuotedPrintable);
    case GMIME_CONTENT_ENCODING_UUENCODE:
      return decode_body(std::move(raw), BodyEncoding::Uuencode);
    default:
      return raw;
  }
}

std::string Lower(const char* s) {
  std::string out = s ? s : "";
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string raw_field(GMimeObject* object, const char* field);

// Whether a Content-Type value names a media type: a type, "/" and a
// subtype before any ";" (blanks around them aside). A value without a
// subtype ("text") or one that does not parse ("X-BE2; 12") counts as
// text/plain in US-ASCII (RFC 2045, 5.2); GMime makes such a part
// application/octet-stream.
bool names_media_type(std::string_view value) {
  value = value.substr(0, value.find(';'));
  const std::size_t slash = value.find('/');
  if (slash == std::string_view::npos || value.find('/', slash + 1) != std::string_view::npos) return false;
  const auto word = [](std::string_view w) {
    while (!w.empty() && (w.front() == ' ' || w.front() == '\t')) w.remove_prefix(1);
    while (!w.empty() && (w.back() == ' ' || w.back() == '\t')) w.remove_suffix(1);
    return !w.empty() && w.find_first_of(" \t") == std::string_view::npos;
  };
  return word(value.substr(0, slash)) && word(value.substr(slash + 1));
}

// A part whose Content-Type names no media type (above).
bool typed_badly(GMimeObject* object, GMimeContentType* type) {
  if (!GMIME_IS_PART(object) || !type) return false;
  if (g_ascii_strcasecmp(g_mime_content_type_get_media_type(type), "application") != 0 ||
      g_ascii_strcasecmp(g_mime_content_type_get_media_subtype(type), "octet-stream") != 0)
    return false;
  return !names_media_type(raw_field(object, "Content-Type"));
}

std::string media_type(GMimeObject* object) {
  GMimeContentType* type = g_mime_object_get_content_type(object);
  if (!type || typed_badly(object, type)) return "text/plain";
  return Lower(g_mime_content_type_get_media_type(type)) + "/" + Lower(g_mime_content_type_get_media_subtype(type));
}

std::string Charset(GMimeObject* object) {
  GMimeContentType* type = g_mime_object_get_content_type(object);
  const char* charset =
      type && !typed_badly(object, type) ? g_mime_content_type_get_parameter(type, "charset") : nullptr;
  return charset ? charset : "";
}

// The raw value of a part's field (first copy), unfolded.
std::string raw_field(GMimeObject* object, const char* field) {
  GMimeHeaderList* list = g_mime_object_get_header_list(object);
  if (!list) return {};
  const int count = g_mime_header_list_get_count(list);
  for (int i = 0; i < count; ++i) {
    GMimeHeader* header = g_mime_header_list_get_header_at(list, i);
    if (!same_name(g_mime_header_get_name(header), field)) continue;
    const char* raw = g_mime_header_get_raw_value(header);
    return Unfold(raw ? raw : "");
  }
  return {};
}

// The file name a part gives itself, in Shift_JIS; empty when it gives none.
// GMime hands it over in UTF-8 with RFC 2231 undone. A name written raw in
// 8-bit bytes is read in the part's charset, else in text_charset.
std::string file_name(GMimePart* part, const std::string& text_charset) {
  const char* name = g_mime_part_get_filename(part);
  if (!name || !*name) return {};
  GMimeObject* object = GMIME_OBJECT(part);
  const std::string charset = Charset(object);
  return part_file_name(name, raw_field(object, "Content-Disposition"), raw_field(object, "Content-Type"),
                        charset.empty() ? text_charset : charset);
}

bool marked_attachment(GMimeObject* object) {
  GMimeContentDisposition* d = g_mime_object_get_content_disposition(object);
  return d && g_mime_content_disposition_is_attachment(d);
}

enum class Mode { Show, FilesOnly };

class Reader {
 public:
  explicit Reader(MailMessage& out) : out_(out) {}

  void body(GMimeObject* body) { object(body, Mode::Show, true); }

 private:
  void object(GMimeObject* object, Mode mode, bool html_shown);
  void multipart(GMimeMultipart* multipart, Mode mode);
  void alternative(GMimeMultipart* multipart, Mode mode);
  void message_part(GMimeMessagePart* part, Mode mode);
  void part(GMimePart* part, Mode mode, bool html_shown);
  void add_file(std::string name, std::string type, std::string data);
  void add_text(std::string_view sjis);

  MailMessage& out_;
  int unnamed_ = 0;
  bool has_text_ = false;
};

bool is_inline_text(GMimeObject* object, const char* type) {
  return GMIME_IS_PART(object) && media_type(object) == type && !marked_attachment(object) &&
         !g_mime_part_get_filename(GMIME_PART(object));
}

// Whether an object shows plain text by the rules above.
bool has_plain(GMimeObject* object) {
  if (GMIME_IS_MULTIPART(object)) {
    GMimeMultipart* m = GMIME_MULTIPART(object);
    for (int i = 0; i < g_mime_multipart_get_count(m); ++i)
      if (has_plain(g_mime_multipart_get_part(m, i))) return true;
    return false;
  }
  if (!GMIME_IS_PART(object)) return false;
  return is_inline_text(object, "text/plain");
}

void Reader::object(GMimeObject* object, Mode mode, bool html_shown) {
  if (GMIME_IS_MESSAGE_PART(object)) return message_part(GMIME_MESSAGE_PART(object), mode);
  if (GMIME_IS_MULTIPART(object)) return multipart(GMIME_MULTIPART(object), mode);
  if (GMIME_IS_PART(object)) return part(GMIME_PART(object), mode, html_shown);
}

void Reader::multipart(GMimeMultipart* multipart, Mode mode) {
  const std::string type = media_type(GMIME_OBJECT(multipart));
  if (type == "multipart/alternative") return alternative(multipart, mode);
  const int count = g_mime_multipart_get_count(multipart);
  if (type == "multipart/related" || type == "multipart/signed" || type == "multipart/encrypted") {
    // The first part is what is shown; the others serve it.
    for (int i = 0; i < count; ++i)
      object(g_mime_multipart_get_part(multipart, i), i == 0 ? mode : Mode::FilesOnly, true);
    return;
  }
  // An inline HTML part is shown as text only where no plain part stands
  // beside it.
  bool plain_beside = false;
  for (int i = 0; i < count; ++i)
    if (is_inline_text(g_mime_multipart_get_part(multipart, i), "text/plain")) plain_beside = true;
  for (int i = 0; i < count; ++i) object(g_mime_multipart_get_part(multipart, i), mode, !plain_beside);
}

void Reader::alternative(GMimeMultipart* multipart, Mode mode) {
  const int count = g_mime_multipart_get_count(multipart);
  int shown = -1;
  for (int i = 0; i < count && shown < 0; ++i)
    if (has_plain(g_mime_multipart_get_part(multipart, i))) shown = i;
  for (int i = 0; i < count && shown < 0; ++i) {
    GMimeObject* child = g_mime_multipart_get_part(multipart, i);
    if (GMIME_IS_MULTIPART(child) || is_inline_text(child, "text/html")) shown = i;
  }
  if (shown < 0) shown = 0;
  for (int i = 0; i < count; ++i)
    object(g_mime_multipart_get_part(multipart, i), i == shown ? mode : Mode::FilesOnly, true);
}

void Reader::message_part(GMimeMessagePart* part, Mode mode) {
  GMimeMessage* inner = g_mime_message_part_get_message(part);
  if (!inner) return;
  if (mode == Mode::Show) {
    MailHeader h;
    read_header(GMIME_OBJECT(inner), h);
    const std::string lines = "From: " + Decode_Header(Trimmed(h.from)) + "\nDate: " + std::string(Trimmed(h.date)) +
                              "\nSubject: " + Decode_Header(Trimmed(h.subject));
    add_text(lines);
  }
  if (GMimeObject* body = g_mime_message_get_mime_part(inner)) object(body, mode, true);
}

void Reader::part(GMimePart* part, Mode mode, bool html_shown) {
  GMimeObject* object = GMIME_OBJECT(part);
  const std::string type = media_type(object);
  std::string name = file_name(part, out_.header.text_charset);
  const bool inline_text = name.empty() && !marked_attachment(object) &&
                           g_mime_part_get_content_encoding(part) != GMIME_CONTENT_ENCODING_UUENCODE;
  if (inline_text && (type == "text/plain" || type == "text/rfc822-headers")) {
    if (mode == Mode::FilesOnly) return;
    std::string text = to_sjis(part_bytes(part), Charset(object));
    for (UuFile& file : take_uu_blocks(text))
      add_file(std::move(file.name), "application/octet-stream", std::move(file.data));
    add_text(text);
    return;
  }
  if (inline_text && type == "text/html") {
    if (mode == Mode::FilesOnly) return;
    if (html_shown) {
      add_text(html_to_text(to_sjis(part_bytes(part), Charset(object))));
      return;
    }
  }
  add_file(std::move(name), type, part_bytes(part));
}

void Reader::add_file(std::string name, std::string type, std::string data) {
  if (name.empty()) name = unnamed_file(++unnamed_, type);
  out_.attachments.push_back({std::move(name), std::move(type), std::move(data)});
}

void Reader::add_text(std::string_view sjis) { add_text_block(out_.text, sjis, has_text_); }

// The charset the first text part names (MailHeader::text_charset): the
// first part of type text/* in reading order, attached messages left out;
// nothing when there is no text part.
std::optional<std::string> first_text_charset(GMimeObject* object) {
  if (GMIME_IS_MULTIPART(object)) {
    GMimeMultipart* m = GMIME_MULTIPART(object);
    for (int i = 0; i < g_mime_multipart_get_count(m); ++i)
      if (std::optional<std::string> charset = first_text_charset(g_mime_multipart_get_part(m, i))) return charset;
    return std::nullopt;
  }
  if (!GMIME_IS_PART(object) || !media_type(object).starts_with("text/")) return std::nullopt;
  return Charset(object);
}

// Of two Content-Type fields in one header block the first counts, as of
// every field; GMime builds a part by the last. The stream offsets of every
// Content-Type field that follows another in its header list, in object
// and below it, each with the offset of the first.
struct LaterType {
  gint64 first, later;
};

void later_types(GMimeObject* object, std::vector<LaterType>& at) {
  if (!object) return;
  if (GMimeHeaderList* list = g_mime_object_get_header_list(object)) {
    gint64 first = -1;
    const int count = g_mime_header_list_get_count(list);
    for (int i = 0; i < count; ++i) {
      GMimeHeader* header = g_mime_header_list_get_header_at(list, i);
      if (!same_name(g_mime_header_get_name(header), "Content-Type")) continue;
      if (first >= 0)
        at.push_back({first, g_mime_header_get_offset(header)});
      else
        first = g_mime_header_get_offset(header);
    }
  }
  if (GMIME_IS_MESSAGE(object)) return later_types(g_mime_message_get_mime_part(GMIME_MESSAGE(object)), at);
  if (GMIME_IS_MESSAGE_PART(object)) {
    GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
    return later_types(inner ? GMIME_OBJECT(inner) : nullptr, at);
  }
  if (GMIME_IS_MULTIPART(object)) {
    GMimeMultipart* m = GMIME_MULTIPART(object);
    for (int i = 0; i < g_mime_multipart_get_count(m); ++i) later_types(g_mime_multipart_get_part(m, i), at);
  }
}

// Whether every line of raw from..to is a field or the continuation of one
// (header_line_kind): the fields after a line that is none belong to what
// follows it.
bool fields_only(std::string_view raw, std::size_t from, std::size_t to) {
  for (std::size_t at = from; at < to;) {
    std::size_t end = raw.find('\n', at);
    if (end == std::string_view::npos || end > to) end = to;
    const HeaderLine kind = header_line_kind(raw.substr(at, end - at));
    if (kind == HeaderLine::Other || kind == HeaderLine::End) return false;
    at = end + 1;
  }
  return true;
}

// Renames the later Content-Type fields in raw ("Xontent-Type"), so that
// GMime passes them by; their offsets count from base. False when none was
// one.
bool mask_types(std::string& raw, const std::vector<LaterType>& at, gint64 base) {
  bool any = false;
  for (const LaterType& t : at) {
    const gint64 first = t.first - base, later = t.later - base;
    if (first < 0 || later <= first || static_cast<std::size_t>(later) + 12 > raw.size()) continue;
    const std::size_t k = static_cast<std::size_t>(later);
    if (g_ascii_strncasecmp(raw.data() + k, "Content-Type", 12) != 0 ||
        !fields_only(raw, static_cast<std::size_t>(first), k))
      continue;
    raw[k] = 'X';
    any = true;
  }
  return any;
}

// A place where GMime's reading of a header block differs from a mail
// reader's (header_line_kind): the block ends before the line at `at`
// (GMime read fields on past it), or the line at `at` goes on the field
// before it (GMime passed it by). Mending puts an empty line, or a blank,
// there.
struct Mend {
  std::size_t at;
  bool ends_block;
};

// The line of raw at `at` (a line start), without its LF, and where the next
// one starts.
std::string_view line_at(std::string_view raw, std::size_t at, std::size_t& next) {
  std::size_t lf = raw.find('\n', at);
  if (lf == std::string_view::npos) lf = raw.size();
  next = lf + 1;
  return raw.substr(at, lf - at);
}

// The start of the line before the line at `at` (at > 0, a line start).
std::size_t line_before(std::string_view raw, std::size_t at) {
  const std::size_t lf = at >= 2 ? raw.rfind('\n', at - 2) : std::string_view::npos;
  return lf == std::string_view::npos ? 0 : lf + 1;
}

// The mends of the header block whose first field GMime found at `first`;
// returns where the block's body starts. Lines GMime passed by before that
// field (a part that starts with its text) reach back to the boundary line
// before them.
std::size_t block_mends(std::string_view raw, std::size_t first, std::vector<Mend>& mends) {
  std::size_t start = first, next;
  while (start > 0) {
    const std::size_t before = line_before(raw, start);
    const std::string_view line = line_at(raw, before, next);
    if (line.starts_with("--") || header_line_kind(line) != HeaderLine::Other) break;
    start = before;
  }
  for (std::size_t at = start; at < raw.size(); at = next) {
    const HeaderLine kind = header_line_kind(line_at(raw, at, next));
    if (kind == HeaderLine::End) return std::min(next, raw.size());
    if (kind == HeaderLine::Other) {
      mends.push_back({at, true});
      return at;
    }
    if (kind == HeaderLine::BareContinuation) mends.push_back({at, false});
  }
  return raw.size();
}

// The next place of needle in raw from from on, or npos (memmem: linear in
// raw whatever it holds).
std::size_t find_bytes(std::string_view raw, std::string_view needle, std::size_t from) {
  if (from > raw.size()) return std::string_view::npos;
  const void* at = ::memmem(raw.data() + from, raw.size() - from, needle.data(), needle.size());
  return at ? static_cast<std::size_t>(static_cast<const char*>(at) - raw.data()) : std::string_view::npos;
}

// The mends of the parts of a multipart whose body runs from body to limit:
// a part that starts with its text (the line after a boundary line is no
// field and no continuation), which GMime passes by, a part of no field at
// all vanishing. Boundary lines as GMime takes them: "--" boundary, then
// "--" for the last one, then blanks.
void part_mends(std::string_view raw, std::size_t body, std::size_t limit, const char* boundary,
                std::vector<Mend>& mends) {
  if (!boundary || !*boundary || body >= limit) return;
  const std::string delimiter = std::string("--") + boundary;
  const std::string_view region = raw.substr(0, limit);
  for (std::size_t at = find_bytes(region, delimiter, body); at != std::string_view::npos;
       at = find_bytes(region, delimiter, at + 1)) {
    if (at > 0 && raw[at - 1] != '\n') continue;
    std::size_t next, after;
    std::string_view rest = line_at(raw, at, next).substr(delimiter.size());
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r')) rest.remove_suffix(1);
    if (rest == "--" || next >= raw.size()) return;
    if (!rest.empty()) continue;
    const std::string_view first = line_at(raw, next, after);
    if (!first.starts_with("--") && header_line_kind(first) == HeaderLine::Other) mends.push_back({next, true});
  }
}

// Where GMime found the first field of object, counted from the start of
// raw (base there), or npos when it has none or it lies outside raw.
std::size_t first_field(GMimeObject* object, std::string_view raw, gint64 base) {
  GMimeHeaderList* list = object ? g_mime_object_get_header_list(object) : nullptr;
  if (!list || g_mime_header_list_get_count(list) == 0) return std::string_view::npos;
  const gint64 first = g_mime_header_get_offset(g_mime_header_list_get_header_at(list, 0)) - base;
  if (first < 0 || static_cast<std::size_t>(first) >= raw.size()) return std::string_view::npos;
  return static_cast<std::size_t>(first);
}

// Where an object's lines end, as far as header_mends looks: the next part
// of its multipart starts after them.
struct Span {
  std::size_t block_end;  // a message's part: the message's block, looked at already, ends there
  std::size_t limit;      // the object's lines end before it
};

// The mends of every header block GMime found in object and below it; the
// offsets of its fields count from base.
void header_mends(GMimeObject* object, std::string_view raw, gint64 base, std::vector<Mend>& mends, Span span) {
  if (!object) return;
  std::size_t body = std::string_view::npos;
  const std::size_t at = first_field(object, raw, base);
  if (at < span.block_end)
    body = span.block_end;
  else if (at != std::string_view::npos && (at == 0 || raw[at - 1] == '\n'))
    body = block_mends(raw, at, mends);
  if (GMIME_IS_MESSAGE(object)) {
    const Span part{body == std::string_view::npos ? 0 : body, span.limit};
    return header_mends(g_mime_message_get_mime_part(GMIME_MESSAGE(object)), raw, base, mends, part);
  }
  if (GMIME_IS_MESSAGE_PART(object)) {
    GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
    return header_mends(inner ? GMIME_OBJECT(inner) : nullptr, raw, base, mends, {0, span.limit});
  }
  if (!GMIME_IS_MULTIPART(object)) return;
  GMimeMultipart* m = GMIME_MULTIPART(object);
  if (body != std::string_view::npos) part_mends(raw, body, span.limit, g_mime_multipart_get_boundary(m), mends);
  const int count = g_mime_multipart_get_count(m);
  for (int i = 0; i < count; ++i) {
    const std::size_t next = i + 1 < count ? first_field(g_mime_multipart_get_part(m, i + 1), raw, base) : span.limit;
    header_mends(g_mime_multipart_get_part(m, i), raw, base, mends, {0, std::min(next, span.limit)});
  }
}

// raw mended: an empty line (its line end as the line before it ends) or a
// blank at each place.
std::string mended_text(std::string_view raw, std::vector<Mend> mends) {
  std::sort(mends.begin(), mends.end(), [](const Mend& a, const Mend& b) { return a.at < b.at; });
  std::string out;
  out.reserve(raw.size() + 2 * mends.size());
  std::size_t from = 0;
  for (std::size_t k = 0; k < mends.size(); ++k) {
    const Mend& m = mends[k];
    if (k > 0 && m.at == mends[k - 1].at) continue;  // found twice
    out.append(raw.substr(from, m.at - from));
    out.append(!m.ends_block ? " " : m.at >= 2 && raw[m.at - 2] == '\r' ? "\r\n" : "\n");
    from = m.at;
  }
  out.append(raw.substr(from));
  return out;
}

// The reading of what GMime built: header holds the message's fields, body
// its content.
MailMessage read_object(GMimeObject* header, GMimeObject* body) {
  MailMessage out;
  if (header) read_header(header, out.header);
  if (!body) return out;
  out.header.text_charset = first_text_charset(body).value_or("");
  Reader(out).body(body);
  end_text(out.text);
  return out;
}

// Old Macintosh mail ends its lines with a lone CR, which GMime does not
// take as a line end.
std::string_view line_ends_for_gmime(std::string_view raw, std::string& scratch) {
  if (raw.find('\n') != std::string_view::npos || raw.find('\r') == std::string_view::npos) return raw;
  scratch.assign(raw);
  for (char& c : scratch)
    if (c == '\r') c = '\n';
  return scratch;
}

// A message is read as one entity (its header block holds the message's
// fields too), which spares GMime reading addresses and dates the reader
// takes from the raw fields anyway. A message whose header blocks GMime read
// otherwise than a mail reader (header_mends) is read again mended, and one
// with a second Content-Type field in a header block again without it (a few
// times at most: a part found only then may hold another).
MailMessage read_entity(std::string_view raw) {
  Options();
  // One parser per thread, set afresh on every message: its buffers are
  // made once.
  thread_local Ref<GMimeParser> parser(g_mime_parser_new());
  constexpr int kRereadings = 6;
  std::string mended;
  for (int pass = 0;; ++pass) {
    Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(raw.data(), raw.size()));
    g_mime_parser_init_with_stream(parser.get(), stream.get());
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    Ref<GMimeObject> entity(g_mime_parser_construct_part(parser.get(), Options()));
    if (pass == kRereadings) return read_object(entity.get(), entity.get());
    std::vector<Mend> mends;
    header_mends(entity.get(), raw, 0, mends, {0, raw.size()});
    if (!mends.empty()) {
      std::string next = mended_text(raw, std::move(mends));
      mended.swap(next);
      raw = mended;
      continue;
    }
    std::vector<LaterType> later;
    later_types(entity.get(), later);
    if (!later.empty()) {
      if (mended.data() != raw.data()) mended.assign(raw);
      if (mask_types(mended, later, 0)) {
        raw = mended;
        continue;
      }
    }
    return read_object(entity.get(), entity.get());
  }
}

}  // namespace

MailMessage read_message(std::string_view raw) {
  if (std::optional<MailMessage> plain = read_plain_message(raw)) return std::move(*plain);
  if (std::optional<MailMessage> tree = read_mime_tree(raw)) return std::move(*tree);
  return read_message_with_gmime(raw);
}

MailMessage read_message_with_gmime(std::string_view raw) {
  std::string scratch;
  return read_entity(line_ends_for_gmime(raw, scratch));
}
