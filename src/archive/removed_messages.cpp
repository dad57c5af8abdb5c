#include "archive/removed_messages.h"

#include <algorithm>

#include "archive/page_head.h"
#include "codec/charsets.h"
#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/common_text.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/file_write.h"
#include "core/folder_list.h"
#include "core/settings.h"
#include "core/workspace.h"

std::unordered_set<std::string> load_removed(const std::string& folder) {
  std::unordered_set<std::string> ids;
  const std::string path = join_path(folder, kRemovedFile.name);
  if (!exists(path)) return ids;
  for (const std::string& line : read_lines(path))
    if (!line.empty()) ids.insert(line);
  return ids;
}

void save_removed(const std::string& folder, const std::unordered_set<std::string>& ids) {
  std::vector<std::string> sorted(ids.begin(), ids.end());
  std::sort(sorted.begin(), sorted.end());
  std::string text;
  for (const std::string& id : sorted) text += id + "\r\n";
  write_file_atomic(join_path(folder, kRemovedFile.name), text);
}

bool is_removed(const Workspace& ws, const MessageRecord& f) {
  return !ws.removed_ids.empty() && !f.message_id().empty() && ws.removed_ids.count(std::string(f.message_id()));
}

MessageRecord removed_record(const MessageRecord& f) {
  return MessageRecord(f.date(), {}, {}, f.message_id(), f.parent_id(), f.page(), f.origin());
}

const std::string& removed_entry_text() {
  static const std::string text = sj("（削除されたメッセージ）");
  return text;
}

std::string removed_page(const Settings& set) {
  static const std::string title = sj("削除されたメッセージ");
  static const std::string notice = sj("このメッセージは削除されました。");
  std::string out = page_head(title, TitleEnd::NextLine, &set);
  out += "<PRE>\r\n" + font_size_tag(set) + "\r\n" + notice + "\r\n</FONT>\r\n</PRE>\r\n</BODY>\r\n</HTML>\r\n";
  return out;
}

namespace {

// The attachment link a page writes: <A HREF="{target}" target="_new">.
constexpr std::string_view kLinkStart = "<A HREF=\"";
constexpr std::string_view kLinkEnd = "\" target=\"_new\">";

// The file name a link target names: the escapes the page writer made for a
// URL and the attribute undone ("%25" "%23" "%40" "%3F" "%22" "&amp;"), then the
// numeric references turned into the characters the file on disk is named by.
std::string target_file(std::string_view target) {
  static constexpr std::pair<std::string_view, char> kEscapes[] = {{"%25", '%'}, {"%23", '#'}, {"%40", '@'},
                                                                   {"%3F", '?'}, {"%22", '"'}, {"&amp;", '&'}};
  std::string name;
  for (std::size_t i = 0; i < target.size();) {
    bool escape = false;
    for (const auto& [text, c] : kEscapes) {
      if (target.substr(i).starts_with(text)) {
        name += c;
        i += text.size();
        escape = true;
        break;
      }
    }
    if (escape) continue;
    const std::size_t n = sjis::char_len(target, i);
    name.append(target.substr(i, n));
    i += n;
  }
  return sjis_refs_to_utf8(name);
}

// A name a removal may delete: a plain name in the folder, none of the
// archive's own.
bool deletable(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos && !is_archive_file(name);
}

}  // namespace

std::vector<std::string> linked_files(std::string_view page) {
  std::vector<std::string> files;
  for (std::size_t at = sjis::find(page, kLinkStart); at != std::string::npos;
       at = sjis::find(page, kLinkStart, at + 1)) {
    const std::size_t from = at + kLinkStart.size();
    const std::size_t end = sjis::find_char(page, '"', from);
    if (end == std::string::npos) break;
    if (page.substr(end, kLinkEnd.size()) != kLinkEnd) continue;
    std::string name = target_file(page.substr(from, end - from));
    if (deletable(name)) files.push_back(std::move(name));
  }
  return files;
}

void remove_pages(const std::string& folder, const std::vector<std::string>& pages, const Settings& set) {
  const std::unordered_set<std::string> removing(pages.begin(), pages.end());
  std::vector<std::string> candidates;
  for (const std::string& page : pages) {
    const std::string path = join_path(folder, page);
    if (!is_regular_file(path)) continue;
    for (std::string& name : linked_files(read_file(path))) candidates.push_back(std::move(name));
  }
  if (!candidates.empty()) {
    // Files that a page staying in the archive links are kept.
    std::unordered_set<std::string> kept;
    for (const std::string& name : list_files(folder)) {
      if (!is_page_name(name) || removing.count(name)) continue;
      for (std::string& file : linked_files(read_file(join_path(folder, name)))) kept.insert(std::move(file));
    }
    for (const std::string& name : candidates) {
      const std::string path = join_path(folder, name);
      if (!kept.count(name) && is_regular_file(path)) remove_file(path);
    }
  }
  const std::string notice = removed_page(set);
  for (const std::string& page : pages) {
    const std::string path = join_path(folder, page);
    if (!is_regular_file(path) || read_file(path) != notice) write_file_atomic(path, notice);
  }
}
