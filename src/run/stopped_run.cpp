#include "run/stopped_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <string_view>
#include <unordered_set>

#include "archive/message_page.h"
#include "codec/charsets.h"
#include "core/archive_files.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/folder_list.h"

namespace {

std::int64_t page_number(std::string_view page) {
  std::int64_t n = 0;
  for (const char c : page.substr(1, 7)) n = n * 10 + (c - '0');
  return n;
}

// Removes the regular file folder/name (a page); false only when it is one
// and could not be removed.
bool remove_page(const std::string& folder, const std::string& name) {
  const std::string path = join_path(folder, name);
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISREG(st.st_mode)) return true;  // not a page the run wrote
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

// Removes the file of the record while it is the very file the run created;
// false only when it is and could not be removed.
bool remove_run_file(const std::string& folder, const RunRecord::File& file) {
  const std::string path = join_path(folder, file.name);
  if (!same_file(path, file)) return true;
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

// A name an attachment of the run may have had: one plain name in the
// folder, not hidden, not the archive's own.
bool attachment_name(const std::string& name) {
  return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos && !is_archive_file(name);
}

// The names (in the folder) of the attachments that pages the menu lists
// link. A page of the run itself is written before any menu lists it; a
// page of an earlier run that the run rewrote (a re-sent message took it
// over) counts only when it was rewritten, that is, when it links the file.
std::unordered_set<std::string> linked_files(const std::string& folder, const RunRecord& record,
                                             std::int64_t last_listed) {
  std::unordered_set<std::string> linked;
  for (const auto& [page, name] : record.links) {
    const std::int64_t n = page_number(page);
    if (n >= record.first_page && n > last_listed) continue;
    if (n < record.first_page) {
      std::string bytes;
      try {
        bytes = read_file(join_path(folder, page));
      } catch (const std::exception&) {
      }
      if (!page_links(bytes, name)) continue;
    }
    linked.insert(sjis_refs_to_utf8(name));
  }
  return linked;
}

}  // namespace

bool take_back_run(const std::string& folder, const RunRecord& record, std::int64_t last_listed) {
  bool whole = true;
  try {
    for (const std::string& name : list_files(folder)) {
      if (!is_page_name(name)) continue;
      const std::int64_t n = page_number(name);
      if (n >= record.first_page && n > last_listed) whole = remove_page(folder, name) && whole;
    }
  } catch (const std::exception&) {
    whole = false;  // the folder could not be listed
  }
  const std::unordered_set<std::string> linked = linked_files(folder, record, last_listed);
  for (const RunRecord::File& file : record.files) {
    if (file.inode == 0 || linked.count(file.name) || !attachment_name(file.name)) continue;
    whole = remove_run_file(folder, file) && whole;
  }
  return whole;
}
