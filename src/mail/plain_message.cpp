#include "mail/plain_message.h"

#include <string>
#include <vector>

#include "codec/charsets.h"
#include "codec/sjis_text.h"
#include "mail/part_text.h"
#include "mail/uu_blocks.h"

namespace {

struct Field {
  std::string_view name;
  std::string value;  // unfolded: line breaks gone, trailing blanks gone
};

bool Same_Name(std::string_view a, std::string_view b) { return sjis::compare_nocase(a, b) == 0; }

bool Valid_Name(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name)
    if (c < 33 || c > 126) return false;
  return true;
}

void Finish(Field& f) { f.value = Unfold(f.value); }

// The fields and where the body starts; false when the header block is not
// one of the plain ones.
bool Read_Fields(std::string_view raw, std::vector<Field>& fields, std::size_t& body) {
  std::size_t at = 0;
  for (;;) {
    const std::size_t lf = raw.find('\n', at);
    if (lf == std::string_view::npos) return false;  // no empty line ends the header
    std::string_view line = raw.substr(at, lf - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos) return false;
    at = lf + 1;
    if (line.empty()) {
      body = at;
      return !fields.empty();
    }
    if (line[0] == ' ' || line[0] == '\t') {
      if (fields.empty()) return false;
      fields.back().value.append(line);
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !Valid_Name(line.substr(0, colon))) return false;
    if (!fields.empty()) Finish(fields.back());
    fields.push_back({line.substr(0, colon), std::string(line.substr(colon + 1))});
  }
}

std::string Lower_Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

// The charset of a plain Content-Type value; false for any other value.
bool Plain_Type(std::string_view value, std::string& charset) {
  // Comments, escapes, RFC 2231 forms and encoded words are GMime's to read.
  if (value.find_first_of("(\\*") != std::string_view::npos || value.find("=?") != std::string_view::npos) return false;
  std::size_t semi = value.find(';');
  if (Lower_Trimmed(value.substr(0, semi)) != "text/plain") return false;
  while (semi != std::string_view::npos) {
    value.remove_prefix(semi + 1);
    semi = value.find(';');
    const std::string_view param = value.substr(0, semi);
    const std::size_t eq = param.find('=');
    if (eq == std::string_view::npos) {
      if (Lower_Trimmed(param).empty()) continue;
      return false;
    }
    const std::string name = Lower_Trimmed(param.substr(0, eq));
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

bool Plain_Encoding(std::string_view value, BodyEncoding& encoding) {
  const std::string e = Lower_Trimmed(value);
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

}  // namespace

std::optional<MailMessage> Read_Plain_Message(std::string_view raw) {
  std::vector<Field> fields;
  std::size_t body = 0;
  if (!Read_Fields(raw, fields, body)) return std::nullopt;
  Finish(fields.back());
  std::string charset;
  BodyEncoding encoding = BodyEncoding::Plain;
  bool typed = false, encoded = false;
  MailMessage out;
  for (const Field& f : fields) {
    if (Same_Name(f.name, "Content-Type")) {
      if (typed || !Plain_Type(f.value, charset)) return std::nullopt;
      typed = true;
    } else if (Same_Name(f.name, "Content-Transfer-Encoding")) {
      if (encoded || !Plain_Encoding(f.value, encoding)) return std::nullopt;
      encoded = true;
    } else if (Same_Name(f.name, "Content-Disposition")) {
      return std::nullopt;
    }
    Take_Field(f.name, f.value, out.header);
  }
  std::string text = To_Sjis(Decode_Body(std::string(raw.substr(body)), encoding), charset);
  for (UuFile& file : Take_Uu_Blocks(text)) {
    if (file.name.empty()) return std::nullopt;  // named "attach<n>" by the other reader
    out.attachments.push_back({std::move(file.name), "application/octet-stream", std::move(file.data)});
  }
  bool has_text = false;
  Add_Text_Block(out.text, text, has_text);
  return out;
}
