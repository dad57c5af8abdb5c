#include "archive/atom_feed.h"

#include <algorithm>
#include <exception>

#include "codec/cp932.h"
#include "codec/sjis_text.h"
#include "codec/utf8_out.h"
#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/common_text.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/file_write.h"
#include "core/split_lines.h"
#include "core/workspace.h"

namespace {

constexpr std::size_t kSummaryLines = 5;

// Characters of XML 1.0.
bool xml_char(unsigned long c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// UTF-8 text escaped for XML text and attributes. A reference "&#" digits
// ";" becomes its character (the Shift_JIS text holds one for each character
// it lacks); control characters XML forbids are dropped.
std::string xml_text(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (c == '&' && utf8.substr(i, 2) == "&#") {
      std::size_t k = i + 2;
      unsigned long code = 0;
      while (k < utf8.size() && k < i + 10 && utf8[k] >= '0' && utf8[k] <= '9') code = code * 10 + (utf8[k++] - '0');
      if (k > i + 2 && k < utf8.size() && utf8[k] == ';' && xml_char(code) && code != '&' && code != '<' &&
          code != '>' && code != '"') {
        put_utf8(out, code);
        i = k;
        continue;
      }
    }
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')
      continue;
    else
      out += c;
  }
  return out;
}

std::string sjis_to_xml(std::string_view sjis) { return xml_text(cp932::to_utf8(sjis)); }

// A stored date as RFC 3339; stored dates are in Japan's time. Nothing for
// a text that is no date.
std::string rfc3339(std::string_view d) {
  if (d.size() != 19 || d[4] != '-' || d[10] != ' ') return {};
  std::string out(d);
  out[10] = 'T';
  return out + "+09:00";
}

// The sender's name, or the address without its brackets when there is no
// name (the menu's sender column splits it the same way). With addresses
// hidden the feed names no address at all: a name-less sender is named by
// the address's local part, and an address inside a name is hidden.
std::string author_name(std::string_view sender, bool hide) {
  const std::size_t lt = sjis::find_char(sender, '<');
  std::string name(sjis::trim(sender));
  if (lt != std::string_view::npos) {
    name = sjis::trim(sender.substr(0, lt));
    std::erase(name, '"');
    if (name.empty()) {
      std::string_view address = sender.substr(lt + 1);
      name = sjis::trim(address.substr(0, sjis::find_char(address, '>')));
    }
  }
  if (!hide) return name;
  const std::size_t at = sjis::find_char(name, '@');
  if (at != std::string::npos && at == name.find_first_of(" \t@")) return name.substr(0, at);
  return hide_addresses(name);
}

// Text of a page line: tags dropped, the page's own escapes read back.
std::string plain_line(std::string_view line) {
  std::string out;
  bool in_tag = false;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t n = sjis::char_len(line, i);
    const std::string_view ch = line.substr(i, n);
    if (ch == "<") {
      in_tag = true;
    } else if (ch == ">" && in_tag) {
      in_tag = false;
    } else if (!in_tag) {
      if (line.substr(i, 4) == "&lt;") {
        out += '<', i += 4;
        continue;
      }
      if (line.substr(i, 4) == "&gt;") {
        out += '>', i += 4;
        continue;
      }
      if (line.substr(i, 5) == "&amp;") {
        out += '&', i += 5;
        continue;
      }
      out.append(ch);
    }
    i += n;
  }
  return out;
}

}  // namespace

std::string page_summary(const std::string& folder, const std::string& page) {
  std::vector<std::string> lines;
  try {
    lines = split_lines(read_file(join_path(folder, page)));
  } catch (const std::exception&) {
    return {};
  }
  // The text starts after the font size line, or after the header block's
  // rule of 50 hyphens when the page has one.
  std::size_t start = lines.size();
  for (std::size_t k = 0; k < lines.size() && start == lines.size(); ++k)
    if (sjis::starts_with_nocase(lines[k], "<FONT SIZE")) start = k + 1;
  for (std::size_t k = start; k < lines.size() && k < start + 6; ++k)
    if (lines[k] == std::string(50, '-')) start = k + 1;
  std::string text;
  std::size_t taken = 0;
  for (std::size_t k = start; k < lines.size() && taken < kSummaryLines; ++k) {
    if (is_nav_line(lines[k])) continue;
    if (lines[k] == "</FONT>" || lines[k] == std::string(30, '-')) break;
    const std::string plain = plain_line(lines[k]);
    if (sjis::trim(plain).empty()) continue;
    text += cp932::to_utf8(plain) + "\n";
    ++taken;
  }
  return text;
}

std::string atom_feed(const std::string& base_url, const std::vector<ListedMessage>& listed,
                      std::string (*page_text)(const std::string& folder, const std::string& page),
                      const std::string& folder, bool hide) {
  std::string base(sjis::trim(base_url));
  if (base.empty() || base.back() != '/') base += '/';
  const std::string base_xml = sjis_to_xml(base);
  std::vector<std::size_t> order = date_order(listed);
  std::reverse(order.begin(), order.end());
  if (order.size() > kFeedEntries) order.resize(kFeedEntries);

  std::string updated;
  for (std::size_t i : order)
    if (updated.empty()) updated = rfc3339(listed[i].record.date());
  if (updated.empty()) updated = "1970-01-01T00:00:00Z";

  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">\n";
  out += "  <title>" + xml_text("メール一覧") + "</title>\n";
  out += "  <id>" + base_xml + "</id>\n";
  out += "  <updated>" + updated + "</updated>\n";
  out +=
      "  <link rel=\"self\" type=\"application/atom+xml\" href=\"" + base_xml + std::string(kFeedFile.name) + "\"/>\n";
  out += "  <link rel=\"alternate\" type=\"text/html\" href=\"" + base_xml + std::string(kIndexFile.name) + "\"/>\n";
  out += "  <generator>vorn_htm</generator>\n";
  for (std::size_t i : order) {
    const MessageRecord& r = listed[i].record;
    const std::string page(r.page_name());
    const std::string when = rfc3339(r.date());
    std::string author = sjis_to_xml(author_name(r.sender(), hide));
    if (author.empty()) author = "?";
    out += "  <entry>\n";
    // The stored subject keeps the blank the Subject field had after its colon.
    const std::string_view subject = sjis::trim(r.subject());
    out += "    <title>" + sjis_to_xml(hide ? hide_addresses(subject) : std::string(subject)) + "</title>\n";
    out += "    <id>" + base_xml + page + "</id>\n";
    out += "    <link rel=\"alternate\" type=\"text/html\" href=\"" + base_xml + page + "\"/>\n";
    out += "    <updated>" + (when.empty() ? updated : when) + "</updated>\n";
    out += "    <author><name>" + author + "</name></author>\n";
    out += "    <summary>" + xml_text(page_text(folder, page)) + "</summary>\n";
    out += "  </entry>\n";
  }
  out += "</feed>\n";
  return out;
}

bool Make_Feed(Workspace& ws, const std::string& folder, const std::vector<ListedMessage>& listed) {
  try {
    const std::string path = join_path(folder, kFeedFile.name);
    if (sjis::trim(ws.set.BAS_URL).empty()) {
      // An archive without an address has no feed, not a stale one.
      if (exists(path)) remove_file(path);
      return true;
    }
    write_file_atomic(path, atom_feed(ws.set.BAS_URL, listed, page_summary, folder, ws.set.ADR_HID));
    return true;
  } catch (const std::exception& e) {
    ws.report_error("Make_Feed", e);
  }
  return false;
}
