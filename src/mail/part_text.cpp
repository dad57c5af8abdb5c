#include "mail/part_text.h"

#include <gmime/gmime.h>

#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"
#include "mail/uu_blocks.h"

namespace {

void Drop_Trailing_Blanks(std::string& s) {
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

}  // namespace

std::string Unfold(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (const char c : raw)
    if (c != '\r' && c != '\n') out += c;
  while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
  return out;
}

void Take_Field(std::string_view name, std::string_view raw, MailHeader& h) {
  const auto take = [raw](std::string& value, bool* has) {
    if (has ? *has : !value.empty()) return;
    value = Unfold(raw);
    if (has) *has = true;
  };
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

std::string Decode_Body(std::string raw, BodyEncoding encoding) {
  switch (encoding) {
    case BodyEncoding::Base64:
      return Base64_Decode(raw);
    case BodyEncoding::QuotedPrintable: {
      Drop_Trailing_Blanks(raw);
      GMimeEncoding state;
      g_mime_encoding_init_decode(&state, GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
      std::string out(g_mime_encoding_outlen(&state, raw.size()) + 16, '\0');
      out.resize(g_mime_encoding_flush(&state, raw.data(), raw.size(), out.data()));
      return out;
    }
    case BodyEncoding::Uuencode:
      return Uu_Decode_Part(raw);
    case BodyEncoding::Plain:
      break;
  }
  return raw;
}

void Add_Text_Block(TextLines& text, std::string_view sjis, bool& has_text) {
  if (has_text) text.push_back({});
  has_text = true;
  std::size_t i = 0;
  const std::size_t size = sjis.size();
  while (i < size) {
    std::size_t end = i;
    while (end < size && sjis[end] != '\n' && sjis[end] != '\r') ++end;
    text.push_back(sjis.substr(i, end - i));
    if (end == size) return;
    i = end + (sjis[end] == '\r' && end + 1 < size && sjis[end + 1] == '\n' ? 2 : 1);
  }
  if (sjis.empty()) text.push_back({});
}
