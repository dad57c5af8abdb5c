#include "archive/restyle_pages.h"

#include <exception>

#include "archive/archive_records.h"
#include "archive/archive_state.h"
#include "archive/page_head.h"
#include "archive/page_links.h"
#include "codec/sjis_text.h"
#include "core/atomic_out.h"
#include "core/common_text.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/split_lines.h"
#include "core/text_out.h"
#include "core/workspace.h"

namespace {

// A line of an earlier page with its addresses hidden: in text "＠", inside
// a tag (the link to a saved file) "%40", which names the same file.
std::string hide_in_line(std::string_view line) {
  std::string out;
  std::size_t from = 0;
  while (from < line.size()) {
    const std::size_t open = sjis::find_char(line, '<', from);
    hide_addresses_to(out, line.substr(from, open == std::string_view::npos ? std::string_view::npos : open - from));
    if (open == std::string_view::npos) break;
    std::size_t close = sjis::find_char(line, '>', open);
    close = close == std::string_view::npos ? line.size() : close + 1;
    const std::string_view tag = line.substr(open, close - open);
    if (holds_address(tag)) {
      const std::string wide = hide_addresses(tag);
      for (std::size_t i = 0; i < wide.size();) {
        const std::size_t n = sjis::char_len(wide, i);
        if (wide.compare(i, n, "\x81\x97") == 0)
          out += "%40";
        else
          out.append(wide, i, n);
        i += n;
      }
    } else {
      out.append(tag);
    }
    from = close;
  }
  return out;
}

}  // namespace

std::string restyle_page(const std::string& page, const Workspace& ws) {
  const Settings& st = ws.set;
  const std::string body = body_tag(st);
  const std::string size = font_size_tag(st);
  const std::string colour = quote_colour_tag(st);
  TextOut out;
  for (const std::string& line : split_lines(page)) {
    // The lines for phones and the links come and go with NAV_LNK; the
    // links, when it stays on, are kept for the pass that writes them.
    if (line == kViewportLine || line == kWrapStyleLine || (!st.NAV_LNK && is_nav_line(line))) continue;
    if (sjis::starts_with_nocase(line, "<meta http-equiv")) {
      out.line(line);
      if (st.NAV_LNK) {
        out.line(kViewportLine);
        out.line(kWrapStyleLine);
      }
    } else if (sjis::starts_with_nocase(line, "<BODY")) {
      out.line(body);
    } else if (sjis::starts_with_nocase(line, "<FONT SIZE")) {
      out.line(size);
    } else if (sjis::starts_with_nocase(line, "<FONT COLOR")) {
      // The old opening tag ends at its first ">", whatever the length of
      // the colour text in it; the quoted text after it stays whole.
      std::size_t close = line.find('>');
      out.part(colour);
      if (close != std::string::npos) {
        const std::string_view quoted = std::string_view(line).substr(close + 1);
        out.part(st.ADR_HID && holds_address(quoted) ? hide_in_line(quoted) : std::string(quoted));
      }
      out.end_line();
    } else if (st.ADR_HID && holds_address(line)) {
      out.line(hide_in_line(line));
    } else {
      out.line(line);
    }
  }
  return out.data();
}

bool Update_Text(Workspace& ws, const ArchiveRecords& records, const std::string& folder) {
  try {
    const std::size_t n = ws.work_list.count();
    // The last finished run left every page in this style already.
    if (records.Old_State && records.Old_State->style == page_style(ws.set)) {
      ws.Syosai_no(static_cast<std::int64_t>(n), static_cast<std::int64_t>(n));
      return true;
    }
    for (std::size_t i = 0; i < n; ++i) {
      ws.Syosai_no(static_cast<std::int64_t>(i) + 1, static_cast<std::int64_t>(n));
      const MessageRecord& f = ws.work_list.at(i);
      if (f.from_this_run()) continue;
      const std::string path = join_path(folder, f.page());
      if (!is_regular_file(path)) {
        ws.ui->warn("警告: " + path + " がありません。このページの更新を飛ばします。");
        continue;
      }
      const std::string old_page = read_file(path);
      std::string new_page = restyle_page(old_page, ws);
      // A page that already looks right is left alone: no write, no new mtime.
      if (new_page != old_page) write_file_atomic(path, new_page);
    }
    return true;
  } catch (const std::exception& e) {
    ws.report_error("Update_Text", e);
    return false;
  }
}
