#include "mail/part_text.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "codec/charsets.h"
#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"
#include "mail/media_types.h"
#include "mail/uu_blocks.h"

namespace {

// Whether a line of s (also its last, unended one) ends in a blank before
// its line end.
bool has_trailing_blanks(std::string_view s) {
  const auto blank_before = [&s](std::size_t end) {
    if (end > 0 && s[end - 1] == '\r') --end;
    return end > 0 && (s[end - 1] == ' ' || s[end - 1] == '\t');
  };
  for (std::size_t lf = s.find('\n'); lf != std::string_view::npos; lf = s.find('\n', lf + 1))
    if (blank_before(lf)) return true;
  return blank_before(s.size());
}

void drop_trailing_blanks(std::string& s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t end = s.find('\n', i);
    const bool lf = end != std::string::npos;
    if (!lf) end = s.size();
    std::size_t keep = end;
    if (keep > i && s[keep - 1] == '\r') --keep;
    const bool cr = keep < end;
    while (keep > i && (s[keep - 1] == ' ' || s[keep - 1] == '\t')) --keep;
    out.append(s, i, keep - i);
    if (cr) out += '\r';
    if (lf) out += '\n';
    i = lf ? end + 1 : end;
  }
  s.swap(out);
}

// The extension of a file without a name, from its media type: the list
// below (the names archives have always used, ".jpg" for image/jpeg where
// the system's table puts ".jpeg" first), then the system's table of media
// types for every type the list lacks (audio/basic ".au", text/richtext
// ".rtx"), read once per run and only when a type misses the list, then
// ".bin".
std::string type_extension(const std::string& type) {
  static const struct {
    const char* type;
    const char* ext;
  } known[] = {{"image/png", ".png"},
               {"image/jpeg", ".jpg"},
               {"image/jpg", ".jpg"},
               {"image/pjpeg", ".jpg"},
               {"image/gif", ".gif"},
               {"image/bmp", ".bmp"},
               {"image/webp", ".webp"},
               {"image/tiff", ".tif"},
               {"image/svg+xml", ".svg"},
               {"image/heic", ".heic"},
               {"application/pdf", ".pdf"},
               {"application/zip", ".zip"},
               {"application/msword", ".doc"},
               {"application/vnd.ms-excel", ".xls"},
               {"application/pgp-signature", ".asc"},
               {"application/pkcs7-signature", ".p7s"},
               {"application/x-pkcs7-signature", ".p7s"},
               {"application/ms-tnef", ".dat"},
               {"text/plain", ".txt"},
               {"text/html", ".html"},
               {"text/calendar", ".ics"},
               {"text/x-vcard", ".vcf"},
               {"text/vcard", ".vcf"},
               {"text/rfc822-headers", ".txt"},
               {"message/delivery-status", ".txt"},
               {"message/disposition-notification", ".txt"},
               {"message/rfc822", ".eml"},
               {"audio/mpeg", ".mp3"},
               {"audio/amr", ".amr"},
               {"video/mp4", ".mp4"},
               {"video/3gpp", ".3gp"},
               {"video/3gpp2", ".3g2"}};
  for (const auto& k : known)
    if (type == k.type) return k.ext;
  const std::string_view ext = system_media_types().extension(type);
  return ext.empty() ? ".bin" : "." + std::string(ext);
}

// The value of an RFC 2231 parameter `name*=charset'language'%XX...` in
// one piece (no continuations) under a label of UTF-7 that GMime does not
// know (unicode-1-1-utf-7 and its kin), in Shift_JIS; nothing otherwise.
std::optional<std::string> utf7_parameter(const std::string& field, std::string_view name) {
  const std::size_t at = sjis::find_nocase(field, std::string(name) + "*=");
  if (at == std::string::npos || (at > 0 && field[at - 1] != ';' && field[at - 1] != ' ' && field[at - 1] != '\t'))
    return std::nullopt;
  std::string_view value = std::string_view(field).substr(at + name.size() + 2);
  value = value.substr(0, value.find(';'));
  const std::size_t q1 = value.find('\''), q2 = q1 == value.npos ? value.npos : value.find('\'', q1 + 1);
  if (q2 == value.npos) return std::nullopt;
  const std::string charset = sjis::narrow_lower(sjis::trim(value.substr(0, q1)));
  if (charset != "unicode-1-1-utf-7" && charset != "csunicode11utf7" && charset != "x-unicode-2-0-utf-7")
    return std::nullopt;
  std::string bytes;
  const auto hex = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  for (std::size_t i = q2 + 1; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size() && std::isxdigit(static_cast<unsigned char>(value[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(value[i + 2]))) {
      bytes += static_cast<char>(hex(value[i + 1]) * 16 + hex(value[i + 2]));
      i += 2;
    } else if (value[i] != ' ' && value[i] != '\t') {
      bytes += value[i];
    }
  }
  return to_sjis(bytes, charset);
}

// A name written raw in 8-bit bytes (see part_file_name).
std::string raw_name(std::string_view raw, std::string_view fallback) {
  const std::string charset = raw_text_charset(raw, fallback);
  if (valid_in(raw, charset)) return to_sjis(raw, charset);
  std::string out(raw);
  for (char& c : out)
    if (static_cast<unsigned char>(c) >= 0x80) c = '_';
  return out;
}

}  // namespace

std::string Unfold(std::string_view raw) {
  // Dropping the line breaks and then the blanks at the end is dropping
  // every blank and line break at the end; most values hold no other.
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r' || raw.back() == '\n'))
    raw.remove_suffix(1);
  if (raw.find('\n') == std::string_view::npos && raw.find('\r') == std::string_view::npos) return std::string(raw);
  std::string out;
  out.reserve(raw.size());
  const std::size_t n = raw.size();
  for (std::size_t i = 0; i < n;) {
    std::size_t j = i;
    while (j < n && raw[j] != '\r' && raw[j] != '\n') ++j;
    out.append(raw.data() + i, j - i);
    const std::size_t line_end = j;
    while (j < n && (raw[j] == '\r' || raw[j] == '\n')) ++j;
    // The TAB that leads a folded line is the blank of the fold.
    if (j > line_end && j < n && raw[j] == '\t') {
      out += ' ';
      ++j;
    }
    i = j;
  }
  return out;
}

void take_field(std::string_view name, std::string_view raw, MailHeader& h) {
  const auto take = [raw](std::string& value, bool* has) {
    if (has ? *has : !value.empty()) return;
    value = Unfold(raw);
    if (has) *has = true;
  };
  // Only six names are kept; their first letters rule out most fields.
  if (name.empty() || std::string_view("fFsSdDmMiIrR").find(name[0]) == std::string_view::npos) return;
  const auto is = [name](std::string_view field) { return sjis::compare_nocase(name, field) == 0; };
  if (is("From"))
    take(h.from, &h.has_from);
  else if (is("Subject"))
    take(h.subject, &h.has_subject);
  else if (is("Date"))
    take(h.date, &h.has_date);
  else if (is("Message-ID"))
    take(h.message_id, &h.has_message_id);
  else if (is("In-Reply-To"))
    take(h.in_reply_to, nullptr);
  else if (is("References"))
    take(h.references, nullptr);
}

std::string decode_body(std::string_view body, BodyEncoding encoding) {
  switch (encoding) {
    case BodyEncoding::Base64:
      return base64_decode(body);
    case BodyEncoding::QuotedPrintable: {
      if (!has_trailing_blanks(body)) return qp_decode_body(body);
      std::string raw(body);
      drop_trailing_blanks(raw);
      return qp_decode_body(raw);
    }
    case BodyEncoding::Uuencode:
      return uu_decode_part(std::string(body));
    case BodyEncoding::Plain:
      break;
  }
  return std::string(body);
}

std::string decoded_data(const MailAttachment& file) { return decode_body(file.data, file.encoding); }

void add_text_block(TextLines& text, std::string_view sjis, bool& has_text) {
  if (has_text) text.push_back({});
  has_text = true;
  if (sjis.empty()) return text.push_back({});
  // The usual message is one block: room for it at once (a line of about
  // forty bytes or more) instead of a buffer that doubles a dozen times.
  if (text.empty()) text.reserve(sjis.size(), sjis.size() / 40 + 8);
  // Lines end at LF, CR LF or a lone CR; the next of each is looked up only
  // once the reading has passed it.
  const std::size_t size = sjis.size();
  std::size_t lf = sjis.find('\n'), cr = sjis.find('\r');
  std::size_t i = 0;
  while (i < size) {
    if (lf < i) lf = sjis.find('\n', i);
    if (cr < i) cr = sjis.find('\r', i);
    const std::size_t end = std::min({lf, cr, size});
    text.push_back(sjis.substr(i, end - i));
    if (end == size) return;
    i = end + (end == cr && end + 1 == lf ? 2 : 1);
  }
}

void end_text(TextLines& text) {
  if (text.size() == 1 && text[0].empty()) text.clear();
}

std::optional<std::string> raw_parameter(const std::string& field, std::string_view name) {
  std::size_t at = 0;
  while ((at = sjis::find_nocase(field, name, at)) != std::string::npos) {
    const std::size_t begin = at;
    at += name.size();
    if (begin > 0 && field[begin - 1] != ';' && field[begin - 1] != ' ' && field[begin - 1] != '\t') continue;
    std::size_t k = at;
    while (k < field.size() && (field[k] == ' ' || field[k] == '\t')) ++k;
    if (k >= field.size() || field[k] != '=') continue;
    ++k;
    while (k < field.size() && (field[k] == ' ' || field[k] == '\t')) ++k;
    if (k < field.size() && field[k] == '"') {
      const std::size_t end = field.find('"', k + 1);
      return field.substr(k + 1, end == std::string::npos ? std::string::npos : end - k - 1);
    }
    const std::size_t end = field.find(';', k);
    return std::string(sjis::trim(std::string_view(field).substr(k, end == std::string::npos ? end : end - k)));
  }
  return std::nullopt;
}

std::string part_file_name(std::string_view given, const std::string& disposition, const std::string& type,
                           std::string_view fallback) {
  for (auto [field, param] : {std::pair{&disposition, "filename"}, std::pair{&type, "name"}}) {
    if (std::optional<std::string> utf7 = utf7_parameter(*field, param)) return *utf7;
    const std::optional<std::string> raw = raw_parameter(*field, param);
    if (!raw) continue;
    if (raw->find("=?") != std::string::npos) return Decode_Header(*raw, fallback);
    if (!sjis::is_ascii(*raw) && !valid_in(*raw, "UTF-8") && !valid_in(*raw, "Shift_JIS"))
      return raw_name(*raw, fallback);
    break;
  }
  return to_sjis(given, "UTF-8");
}

std::string unnamed_file(int number, const std::string& type) {
  return "attach" + std::to_string(number) + type_extension(type);
}
