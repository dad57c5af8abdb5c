#include "mail/plain_message.h"

#include <string>
#include <vector>

#include "codec/charsets.h"
#include "codec/sjis_text.h"
#include "mail/header_block.h"
#include "mail/part_text.h"
#include "mail/uu_blocks.h"

namespace {

// The charset of a plain Content-Type value; false for any other value.
bool plain_type(std::string_view value, std::string& charset) {
  // Comments, escapes, RFC 2231 forms and encoded words are GMime's to read,
  // and so are 8-bit bytes, which it reads as UTF-8 or code page 932.
  if (value.find_first_of("(\\*") != std::string_view::npos || value.find("=?") != std::string_view::npos ||
      !sjis::is_ascii(value))
    return false;
  std::size_t semi = value.find(';');
  if (lower_trimmed(value.substr(0, semi)) != "text/plain") return false;
  while (semi != std::string_view::npos) {
    value.remove_prefix(semi + 1);
    semi = value.find(';');
    const std::string_view param = value.substr(0, semi);
    const std::size_t eq = param.find('=');
    if (eq == std::string_view::npos) {
      if (lower_trimmed(param).empty()) continue;
      return false;
    }
    const std::string name = lower_trimmed(param.substr(0, eq));
    std::string_view v = param.substr(eq + 1);
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    if (!v.empty() && v.front() == '"') {
      if (v.size() < 2 || v.back() != '"' || v.substr(1, v.size() - 2).find('"') != std::string_view::npos)
        return false;
      v = v.substr(1, v.size() - 2);
    } else if (v.find('"') != std::string_view::npos) {
      return false;
    }
    if (name == "name" || name == "filename") return false;
    if (name == "charset") {
      if (v.empty() || !charset.empty()) return false;
      charset = std::string(v);
    }
  }
  return true;
}

}  // namespace

std::optional<MailMessage> read_plain_message(std::string_view raw) {
  // The list of fields, too, serves every message of the reading thread.
  thread_local std::vector<BlockField> fields;
  fields.clear();
  std::size_t body = 0;
  if (!read_header_block(raw, fields, body)) return std::nullopt;
  std::string charset;
  BodyEncoding encoding = BodyEncoding::Plain;
  bool typed = false, encoded = false;
  MailMessage out;
  for (const BlockField& f : fields) {
    if (same_field(f.name, "Content-Type")) {
      if (typed || !plain_type(Unfold(f.raw), charset)) return std::nullopt;
      typed = true;
    } else if (same_field(f.name, "Content-Transfer-Encoding")) {
      if (encoded || !known_encoding(Unfold(f.raw), encoding)) return std::nullopt;
      encoded = true;
    } else if (same_field(f.name, "Content-Disposition")) {
      return std::nullopt;
    }
    take_field(f.name, f.raw, out.header);
  }
  out.header.text_charset = charset;
  std::string_view bytes = raw.substr(body);
  std::string decoded;
  if (encoding != BodyEncoding::Plain) bytes = decoded = decode_body(bytes, encoding);
  // The converted text only passes on to the lines: one buffer on each
  // reading thread serves every message, instead of one of several
  // kilobytes made and freed for each among the records the run keeps.
  thread_local std::string text;
  to_sjis_to(bytes, charset, text);
  for (UuFile& file : take_uu_blocks(text)) {
    if (file.name.empty()) return std::nullopt;  // named "attach<n>" by the other reader
    out.attachments.push_back({std::move(file.name), "application/octet-stream", std::move(file.data)});
  }
  bool has_text = false;
  add_text_block(out.text, text, has_text);
  end_text(out.text);
  if (text.capacity() > (1u << 20)) std::string().swap(text);  // a long one does not stay
  return out;
}
