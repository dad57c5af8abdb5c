#include "mail/html_text.h"

#include <cstdint>

#include "codec/charsets.h"
#include "codec/sjis_text.h"
#include "codec/utf8_out.h"

namespace {

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

std::string Utf8(std::uint32_t cp) {
  std::string s;
  put_utf8(s, cp);
  return s;
}

// The code point of a named entity, 0 when unknown.
std::uint32_t named_entity(std::string_view name) {
  static const struct {
    const char* name;
    std::uint32_t cp;
  } known[] = {
      {"nbsp", 0x20},   {"amp", '&'},     {"lt", '<'},        {"gt", '>'},        {"quot", '"'},     {"apos", '\''},
      {"copy", 0xA9},   {"reg", 0xAE},    {"trade", 0x2122},  {"hellip", 0x2026}, {"mdash", 0x2014}, {"ndash", 0x2013},
      {"laquo", 0xAB},  {"raquo", 0xBB},  {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"ldquo", 0x201C}, {"rdquo", 0x201D},
      {"bull", 0x2022}, {"middot", 0xB7}, {"yen", 0xA5},      {"euro", 0x20AC},   {"times", 0xD7},   {"divide", 0xF7},
      {"deg", 0xB0},    {"plusmn", 0xB1}, {"sect", 0xA7},     {"para", 0xB6},     {"larr", 0x2190},  {"rarr", 0x2192},
      {"uarr", 0x2191}, {"darr", 0x2193}, {"hearts", 0x2665}, {"ensp", 0x20},     {"emsp", 0x20},    {"thinsp", 0x20},
      {"shy", 0xAD},    {"zwnj", 0x200C}, {"zwj", 0x200D},    {"cent", 0xA2},     {"pound", 0xA3},   {"iexcl", 0xA1},
      {"iquest", 0xBF}, {"uuml", 0xFC},   {"ouml", 0xF6},     {"auml", 0xE4},     {"eacute", 0xE9},  {"egrave", 0xE8},
      {"aacute", 0xE1}, {"oslash", 0xF8}, {"szlig", 0xDF},    {"ccedil", 0xE7},   {"ntilde", 0xF1}};
  for (const auto& k : known)
    if (name == k.name) return k.cp;
  return 0;
}

enum class TagKind { Other, LineBreak, Block, Paragraph, Cell, Skip };

TagKind kind_of(std::string_view tag) {
  static const char* const lines[] = {"div",    "li",     "tr",      "dt",      "dd",    "hr",      "pre",
                                      "title",  "center", "address", "caption", "form",  "section", "article",
                                      "header", "footer", "nav",     "main",    "figure"};
  static const char* const paragraphs[] = {"p",  "h1",    "h2", "h3", "h4", "h5",
                                           "h6", "table", "ul", "ol", "dl", "blockquote"};
  if (tag == "br") return TagKind::LineBreak;
  if (tag == "td" || tag == "th") return TagKind::Cell;
  if (tag == "script" || tag == "style" || tag == "head") return TagKind::Skip;
  for (const char* p : paragraphs)
    if (tag == p) return TagKind::Paragraph;
  for (const char* l : lines)
    if (tag == l) return TagKind::Block;
  return TagKind::Other;
}

class Renderer {
 public:
  explicit Renderer(std::string_view html) : in_(html) {}
  std::string run();

 private:
  void text_char(std::size_t& i);
  void entity(std::size_t& i);
  void tag(std::size_t& i);
  void put(std::string_view s);
  void blank();
  void end_line();
  void paragraph();

  std::string_view in_;
  std::string out_;
  bool pre_ = false;
  bool pending_blank_ = false;
};

void Renderer::put(std::string_view s) {
  if (pending_blank_ && !out_.empty() && out_.back() != '\n') out_ += ' ';
  pending_blank_ = false;
  out_.append(s);
}

void Renderer::blank() { pending_blank_ = true; }

void Renderer::end_line() {
  pending_blank_ = false;
  if (!out_.empty() && out_.back() != '\n') out_ += '\n';
}

void Renderer::paragraph() {
  end_line();
  if (out_.size() >= 2 && out_[out_.size() - 2] != '\n') out_ += '\n';
}

void Renderer::entity(std::size_t& i) {
  std::size_t k = i + 1;
  std::uint32_t cp = 0;
  if (k < in_.size() && in_[k] == '#') {
    ++k;
    const bool hex = k < in_.size() && (in_[k] == 'x' || in_[k] == 'X');
    if (hex) ++k;
    const std::size_t start = k;
    while (k < in_.size() && k - start < 8 &&
           ((in_[k] >= '0' && in_[k] <= '9') ||
            (hex && ((in_[k] >= 'a' && in_[k] <= 'f') || (in_[k] >= 'A' && in_[k] <= 'F'))))) {
      const char c = in_[k];
      cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
      ++k;
    }
    if (k == start || cp == 0 || cp > 0x10FFFF) cp = 0;
  } else {
    const std::size_t start = k;
    while (k < in_.size() && k - start < 10 && (is_letter(in_[k]) || (in_[k] >= '0' && in_[k] <= '9'))) ++k;
    cp = named_entity(in_.substr(start, k - start));
  }
  if (cp == 0) {  // not an entity: the "&" is text
    put("&#38;");
    ++i;
    return;
  }
  if (k < in_.size() && in_[k] == ';') ++k;
  i = k;
  if (cp == '&') return put("&#38;");
  if (cp == 0x200C || cp == 0x200D || cp == 0xAD) return;
  if (cp == ' ') {
    // &nbsp; keeps its place, also where blanks would fold.
    put(" ");
    return;
  }
  put(to_sjis(Utf8(cp), "UTF-8"));
}

void Renderer::text_char(std::size_t& i) {
  const char c = in_[i];
  if (!pre_ && is_blank(c)) {
    blank();
    ++i;
    return;
  }
  if (pre_ && (c == '\r' || c == '\n')) {
    out_ += '\n';
    i += (c == '\r' && i + 1 < in_.size() && in_[i + 1] == '\n') ? 2 : 1;
    return;
  }
  const std::size_t n = sjis::char_len(in_, i);
  put(in_.substr(i, n));
  i += n;
}

void Renderer::tag(std::size_t& i) {
  if (in_.substr(i, 4) == "<!--") {
    const std::size_t end = in_.find("-->", i + 4);
    i = end == std::string_view::npos ? in_.size() : end + 3;
    return;
  }
  std::size_t k = i + 1;
  const bool closing = k < in_.size() && in_[k] == '/';
  if (closing) ++k;
  const std::size_t start = k;
  while (k < in_.size() && (is_letter(in_[k]) || (in_[k] >= '0' && in_[k] <= '9'))) ++k;
  const std::string name = sjis::narrow_lower(in_.substr(start, k - start));
  // The tag runs to its ">", quoted attribute values included.
  char quote = 0;
  while (k < in_.size() && (quote || in_[k] != '>')) {
    if (quote && in_[k] == quote)
      quote = 0;
    else if (!quote && (in_[k] == '"' || in_[k] == '\''))
      quote = in_[k];
    ++k;
  }
  i = k < in_.size() ? k + 1 : in_.size();
  switch (kind_of(name)) {
    case TagKind::LineBreak:
      pending_blank_ = false;
      out_ += '\n';
      break;
    case TagKind::Block:
      end_line();
      if (name == "pre") pre_ = !closing;
      break;
    case TagKind::Paragraph:
      paragraph();
      break;
    case TagKind::Cell:
      blank();
      break;
    case TagKind::Skip:
      if (!closing) {
        const std::string end_tag = "</" + name;
        std::size_t end = i;
        for (;;) {
          end = in_.find('<', end);
          if (end == std::string_view::npos || sjis::narrow_lower(in_.substr(end, end_tag.size())) == end_tag) break;
          ++end;
        }
        i = end == std::string_view::npos ? in_.size() : end;
      }
      break;
    case TagKind::Other:
      break;
  }
}

std::string Renderer::run() {
  std::size_t i = 0;
  while (i < in_.size()) {
    const char c = in_[i];
    const bool opens_tag = c == '<' && i + 1 < in_.size() &&
                           (is_letter(in_[i + 1]) || in_[i + 1] == '/' || in_[i + 1] == '!' || in_[i + 1] == '?');
    if (opens_tag)
      tag(i);
    else if (c == '&')
      entity(i);
    else
      text_char(i);
  }
  // Lines without trailing blanks; at most one empty line in a row; none at
  // the start or the end.
  std::string lines;
  lines.reserve(out_.size());
  std::size_t empty_run = 0;
  std::size_t p = 0;
  while (p <= out_.size()) {
    std::size_t e = out_.find('\n', p);
    if (e == std::string::npos) e = out_.size();
    std::string_view line = std::string_view(out_).substr(p, e - p);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    if (!pre_ && !line.empty() && line.front() == ' ') line.remove_prefix(1);
    if (line.empty()) {
      ++empty_run;
    } else {
      if (!lines.empty()) lines.append(empty_run > 0 ? "\n\n" : "\n");
      empty_run = 0;
      lines.append(line);
    }
    p = e + 1;
  }
  return lines;
}

}  // namespace

std::string html_to_text(std::string_view sjis) { return Renderer(sjis).run(); }
