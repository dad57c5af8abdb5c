#include "archive/search_pages.h"

#include <unordered_set>

#include "archive/page_links.h"
#include "archive/search_collect.h"
#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/split_lines.h"

namespace {

using Lines = std::vector<std::string_view>;

const std::string kHeaderRule(50, '-');
const std::string kThreadRule(30, '-');
const char kBranch[] = "\x84\xA4";            // └
const char kIdeographicSpace[] = "\x81\x40";  // 　
constexpr std::string_view kFileLink = "\" target=\"_new\">[";

bool blank(std::string_view s) { return sjis::trim(s).empty(); }

// The text of s with the escapes of "<", ">" and "&" read back. "&" is never
// a byte of a double-byte character, so the text is read bytewise; a
// numeric reference stays as the page holds it.
std::string unescaped(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] == '&') {
      if (s.substr(i, 4) == "&lt;" || s.substr(i, 4) == "&gt;") {
        out += s[i + 1] == 'l' ? '<' : '>';
        i += 4;
        continue;
      }
      if (s.substr(i, 5) == "&amp;") {
        out += '&';
        i += 5;
        continue;
      }
    }
    out += s[i++];
  }
  return out;
}

// 1 for a linked entry of a thread list, 0 for a plain one, -1 for a line
// that is no entry. Visible text never holds "<": it is escaped.
int thread_entry_kind(std::string_view line) {
  while (line.substr(0, 2) == kBranch || line.substr(0, 2) == kIdeographicSpace) line.remove_prefix(2);
  if (line.substr(0, 10) == "<A HREF=\"m") return line.size() >= 23 && is_page_name(line.substr(9, 12)) ? 1 : -1;
  return sjis::find_char(line, '<') == std::string_view::npos ? 0 : -1;
}

// Where the thread list that ends right before end starts (its empty line),
// or end when there is none. A list links other pages: a body line never
// starts with "<".
std::size_t thread_list_start(const Lines& body, std::size_t from, std::size_t end) {
  std::size_t k = end;
  int linked = 0;
  while (k > from && body[k - 1] != kThreadRule) {
    const int kind = thread_entry_kind(body[k - 1]);
    if (kind < 0) return end;
    linked += kind;
    --k;
  }
  if (linked == 0 || k < from + 2 || body[k - 1] != kThreadRule || !blank(body[k - 2])) return end;
  return k - 2;
}

// The names that a line of links to the page's files shows, "[" name "]".
void add_file_names(std::string_view line, AttachList& out) {
  for (std::size_t at = line.find(kFileLink); at != std::string_view::npos; at = line.find(kFileLink, at)) {
    at += kFileLink.size();
    const std::size_t end = line.find("]</A>", at);
    if (end == std::string_view::npos) return;
    out.push_back(std::make_shared<std::string>(unescaped(line.substr(at, end - at))));
    at = end;
  }
}

// A body line without the colour tags the page puts around quoted lines.
std::string_view without_quote_tags(std::string_view line) {
  if (sjis::starts_with_nocase(line, "<FONT COLOR")) {
    const std::size_t close = line.find('>');
    return close == std::string_view::npos ? std::string_view() : line.substr(close + 1);
  }
  if (line.substr(0, 7) == "</FONT>") return line.substr(7);
  return line;
}

// The header block's lines from at on, when they are one: subject and
// sender into text, at past the rule that ends it.
void read_header_block(const Lines& body, std::size_t& at, PageText& text) {
  std::size_t h = at;
  while (h < body.size() &&
         (body[h].substr(0, 7) == "TITLE: " || body[h].substr(0, 7) == "FROM : " || body[h].substr(0, 7) == "DATE : "))
    ++h;
  if (h == at || h >= body.size() || body[h] != kHeaderRule) return;
  for (std::size_t k = at; k < h; ++k) {
    if (body[k].substr(0, 7) == "TITLE: ") text.subject = unescaped(body[k].substr(7));
    if (body[k].substr(0, 7) == "FROM : ") text.sender = unescaped(body[k].substr(7));
  }
  at = h + 1;
}

}  // namespace

std::optional<PageText> read_page_text(std::string_view page) {
  const Lines lines = split_line_views(page);
  std::size_t pre = lines.size(), pre_end = lines.size();
  for (std::size_t k = 0; k < lines.size() && pre == lines.size(); ++k)
    if (sjis::trim(lines[k]) == "<PRE>") pre = k;
  for (std::size_t k = lines.size(); k-- > pre + 1 && pre_end == lines.size();)
    if (sjis::trim(lines[k]) == "</PRE>") pre_end = k;
  if (pre_end == lines.size()) return std::nullopt;
  Lines body;
  for (std::size_t k = pre + 1; k < pre_end; ++k)
    if (!is_nav_line(lines[k])) body.push_back(lines[k]);

  PageText text;
  text.attachments = attach_list({""});
  std::size_t at = 0;
  if (at < body.size() && sjis::starts_with_nocase(body[at], "<FONT SIZE")) ++at;
  read_header_block(body, at, text);
  // The body ends at the font size's closing tag; before it stand the thread
  // list and, before that, the links to the page's files after an empty line.
  std::size_t end = body.size();
  for (std::size_t k = body.size(); k-- > at && end == body.size();)
    if (sjis::trim(body[k]) == "</FONT>") end = k;
  end = thread_list_start(body, at, end);
  std::size_t files = end;
  while (files > at && body[files - 1].substr(0, 9) == "<A HREF=\"") --files;
  for (std::size_t k = files; k < end; ++k) add_file_names(body[k], text.attachments);
  if (files < end) {
    end = files;
    if (end > at && blank(body[end - 1])) --end;
  }
  for (std::size_t k = at; k < end; ++k) text.lines.push_back(unescaped(without_quote_tags(body[k])));
  return text;
}

std::vector<MessageRecord> add_written_pages(Workspace& ws, SearchCollector& c, const std::string& folder,
                                             std::optional<std::span<const std::uint32_t>> only) {
  std::unordered_set<std::uint32_t> wanted;
  if (only) wanted.insert(only->begin(), only->end());
  std::vector<MessageRecord> added;
  if (only && wanted.empty()) return added;
  for (ListedMessage& l : read_listed(ws, folder)) {
    const std::string_view name = l.record.page_name();
    const std::uint32_t page = search_page_number(name);
    if (page == 0 || c.entry_of(page) >= 0 || (only && !wanted.count(page))) continue;
    const std::string path = join_path(folder, name);
    std::optional<PageText> text;
    try {
      if (is_regular_file(path)) text = read_page_text(read_file(path));
    } catch (const std::exception&) {
      // A page that cannot be read is found by nothing, as before.
    }
    if (!text) continue;
    c.add(page, text->subject ? *text->subject : std::string(l.record.subject()),
          text->sender ? *text->sender : std::string(l.record.sender()), text->lines, text->attachments);
    added.push_back(std::move(l.record));
  }
  return added;
}
