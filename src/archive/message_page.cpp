#include "archive/message_page.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "archive/page_head.h"
#include "codec/sjis_text.h"
#include "core/common_text.h"
#include "core/file_write.h"
#include "core/page_writer.h"
#include "core/workspace.h"
#include "mail/mail_date.h"

namespace {

// The length of "&#" digits ";" at the start of s (a character code page
// 932 lacks), or 0.
std::size_t reference_length(std::string_view s) {
  std::size_t k = 2;
  if (s.substr(0, 2) != "&#") return 0;
  while (k < s.size() && k < 10 && s[k] >= '0' && s[k] <= '9') ++k;
  return k > 2 && k < s.size() && s[k] == ';' ? k + 1 : 0;
}

// An attachment name as the target of a relative link: characters that a
// URL or the quoted attribute would read otherwise are written as escapes,
// so that the link names exactly the saved file. A reference stays: the
// browser reads it as its character, as the file on disk is named.
std::string link_target(std::string_view name, bool hide) {
  std::string out;
  for (std::size_t i = 0; i < name.size();) {
    if (const std::size_t ref = reference_length(name.substr(i))) {
      out.append(name.substr(i, ref));
      i += ref;
      continue;
    }
    std::size_t n = sjis::char_len(name, i);
    char c = name[i];
    if (n == 1 && c == '%')
      out += "%25";
    else if (n == 1 && c == '#')
      out += "%23";
    else if (n == 1 && c == '?')
      out += "%3F";
    else if (n == 1 && c == '"')
      out += "%22";
    else if (n == 1 && c == '&')
      out += "&amp;";
    else if (n == 1 && c == '@' && hide)
      out += "%40";
    else
      out.append(name.substr(i, n));
    i += n;
  }
  return out;
}

// The start of the link to an attachment.
std::string attachment_link(std::string_view name, bool hide) {
  return "<A HREF=\"" + link_target(name, hide) + "\" target=\"_new\">";
}

}  // namespace

bool page_links(std::string_view page, std::string_view name) {
  // A page written with hidden addresses escapes an "@" of the name.
  return page.find(attachment_link(name, false)) != std::string_view::npos ||
         page.find(attachment_link(name, true)) != std::string_view::npos;
}

bool Check_Reply(std::string_view line, const std::string& REP_MRK) {
  std::string_view t = sjis::ltrim(line);
  if (t.empty() || t[0] == '<') return false;
  std::string_view first = t.substr(0, sjis::char_len(t, 0));
  for (std::size_t i = 0; i < REP_MRK.size();) {
    std::size_t n = sjis::char_len(REP_MRK, i);
    if (std::string_view(REP_MRK).substr(i, n) == first) return true;
    i += n;
  }
  return false;
}

std::string render_page(const Settings& set, const PageContent& page) {
  std::string out;
  render_page_to(out, set, page);
  return out;
}

void render_page_to(std::string& out, const Settings& set, const PageContent& page) {
  out.clear();
  out.reserve(page.lines.bytes() + 8 * page.lines.size() + 1024);
  auto line = [&out](std::string_view s) {
    out.append(s);
    out.append("\r\n");
  };
  // With ADR_HID every text of the message shows its addresses hidden.
  std::string hidden;
  auto shown = [&set, &hidden](std::string_view text) -> std::string_view {
    if (!set.ADR_HID || !holds_address(text)) return text;
    hidden = hide_addresses(text);
    return hidden;
  };
  auto escaped_line = [&out, &shown](std::string_view prefix, std::string_view text) {
    out.append(prefix);
    html_esc_to(out, shown(text));
    out.append("\r\n");
  };
  put_page_head(out, shown(page.subject), TitleEnd::NextLine, &set);
  line("<PRE>");
  line(font_size_tag(set));
  if (set.KB_SUBJ) escaped_line("TITLE: ", page.subject);
  if (set.KB_FROM) escaped_line("FROM : ", page.sender);
  if (set.KB_DATE) escaped_line("DATE : ", render_date(page.date, set.DAT_FMT));
  if (set.KB_SUBJ || set.KB_FROM || set.KB_DATE) line("--------------------------------------------------");

  bool quoting = false;
  for (std::size_t i = 0; i < page.lines.size(); ++i) {
    const std::string_view text = page.lines[i];
    const bool q = Check_Reply(text, set.REP_MRK);
    if (q && !quoting)
      put_quote_colour_tag(out, set);
    else if (!q && quoting)
      out.append("</FONT>");
    quoting = q;
    escaped_line({}, text);
  }

  const AttachList& attachments = page.attachments;
  if (set.TE_FILE && attachments.size() > 1) {
    static const std::string kGap = sj("　");
    for (std::size_t k = 1; k < attachments.size(); ++k) {
      if (k % 3 == 1) out.append("\r\n");
      const std::string& name = *attachments[k];
      out.append(attachment_link(name, set.ADR_HID));
      out.append("[");
      html_esc_to(out, shown(name));
      out.append("]</A>");
      out.append(kGap);
    }
    out.append("\r\n");
  }

  line("</FONT>");
  line("</PRE>");
  line("</BODY>");
  line("</HTML>");
}

namespace {

// Renders and writes a page on the page writer's thread, into one buffer that
// serves every page of the thread instead of one of several kilobytes made
// and freed per page; a long page's buffer does not stay.
void write_page(const std::string& path, const Settings& set, const PageContent& page) {
  thread_local std::string bytes;
  render_page_to(bytes, set, page);
  replace_file(path, bytes);
  if (bytes.capacity() > (1u << 20)) std::string().swap(bytes);
}

}  // namespace

void Make_Page(Workspace& ws, PageWriter* writer, std::string page_path, std::string subject, std::string date,
               std::string sender, AttachList attachments) {
  // A message without body lines still gets its page (header block only), so
  // that the link in the menu never points at a missing file.
  if (sjis::trim(page_path).empty()) return;
  ++ws.Pages_Written;
  // The walk hands over each message's lines whole, in buffers of their own,
  // and the values with them.
  PageContent page{std::move(ws.out_buf), std::move(subject), std::move(date), std::move(sender),
                   std::move(attachments)};
  ws.out_buf = {};
  // Removing the old file first replaces a link of that name instead of
  // writing through it. A page that links no attachment does not wait for
  // what the writer does before it (an attachment saved under another
  // name): when the writer is behind, the walk renders it, and the writer
  // only writes it.
  if (writer && writer->behind() && (page.attachments.size() <= 1 || !ws.set.TE_FILE)) {
    writer->write(std::move(page_path), render_page(ws.set, page));
  } else if (writer) {
    std::size_t size = 1024 + page.subject.size() + page.sender.size();
    size += page.lines.bytes() + 8 * page.lines.size();
    // One job that renders and writes: what write() would wrap in a second.
    writer->run([path = std::move(page_path), &set = ws.set, page = std::move(page)] { write_page(path, set, page); },
                size);
  } else {
    replace_file(page_path, render_page(ws.set, page));
  }
}
