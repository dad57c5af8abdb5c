// Saving an attachment into the output folder without overwriting anything:
// the archive's own file names are guarded with the prefix "t_"; a file of
// the same name and the same bytes is taken as it stands (the same mail
// converted again saves nothing new); else a taken name gets the first free
// number before its extension, and the file is created exclusively, so that
// neither an earlier attachment nor a file that appears meanwhile is ever
// replaced.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "codec/charsets.h"
#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/file_write.h"
#include "core/run_journal.h"
#include "mail/attachments.h"

namespace {

// What a session knows of the files of one name (base and extension) in a
// folder: the files of that name found so far, by size and hash of their
// bytes, and the lowest number not yet found taken. Files are only added to
// the output folder while a run saves attachments; the entry is dropped when
// its plain name is found free again (the folder was emptied for a rebuild).
struct NameFamily {
  bool scanned = false;
  std::uint64_t next = 1;
  std::unordered_map<std::string, std::string> by_content;  // size:hash -> name
};

std::string content_key(std::string_view data) {
  return std::to_string(data.size()) + ':' + std::to_string(std::hash<std::string_view>{}(data));
}

std::unordered_map<std::string, NameFamily>& Families() {
  static std::unordered_map<std::string, NameFamily> families;
  return families;
}

std::mutex& families_mutex() {
  static std::mutex m;
  return m;
}

// The bytes of a file, or nothing when it cannot be read.
std::optional<std::string> bytes_of(const std::string& path) {
  try {
    return read_file(path);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::string Numbered(const std::string& base, std::uint64_t n, const std::string& ext) {
  return n == 0 ? base + ext : base + std::to_string(n) + ext;
}

// Reads the files of the family that stand in the folder, in the order a
// run numbers them, until the first free number.
void scan_family(const std::string& folder, const std::string& base, const std::string& ext, NameFamily& f) {
  f.scanned = true;
  for (std::uint64_t n = 0;; ++n) {
    const std::string name = Numbered(base, n, ext);
    const std::string path = join_path(folder, sjis_refs_to_utf8(name));
    if (!exists(path)) {
      if (n > 0) {
        f.next = n;
        return;
      }
      continue;
    }
    if (std::optional<std::string> bytes = bytes_of(path)) f.by_content.emplace(content_key(*bytes), name);
  }
}

// Creates the file path, named name in the folder, recording it in journal.
bool create_recorded(const std::string& path, std::string_view name, const std::string& data, RunJournal* journal) {
  if (!journal) return create_new_file(path, data);
  return create_new_file(path, data, [journal, name](int fd) { journal->created(name, fd); });
}

// Finds or makes the file for data (Save_Attach below); name becomes the
// name used.
void place_file(const std::string& folder, std::string& name, const std::string& data, RunJournal* journal) {
  std::string plain = plain_attach_name(name);
  const std::size_t dot = sjis::rfind_char(plain, '.');
  std::string base = dot == std::string::npos ? plain : plain.substr(0, dot);
  const std::string ext = dot == std::string::npos ? std::string() : plain.substr(dot);
  // Names the archive writes itself: an attachment never takes one.
  if (is_archive_file(plain)) {
    plain = "t_" + plain;
    base = "t_" + base;
  }

  std::lock_guard<std::mutex> hold(families_mutex());
  const std::string key = folder + '\0' + base + '\0' + ext;
  const std::string first_name = sjis_refs_to_utf8(plain);
  const std::string first = join_path(folder, first_name);
  if (!exists(first)) {
    Families().erase(key);
    if (create_recorded(first, first_name, data, journal)) {
      name = plain;
      return;
    }
  }
  NameFamily* family = &Families()[key];
  // Copies removed since (the folder emptied in part): look again.
  if (family->scanned && family->next > 1 &&
      !exists(join_path(folder, sjis_refs_to_utf8(Numbered(base, family->next - 1, ext))))) {
    Families().erase(key);
    family = &Families()[key];
  }
  if (!family->scanned) scan_family(folder, base, ext, *family);
  // The same bytes under a name of this family: that file is the one.
  const std::string content = content_key(data);
  auto same = family->by_content.find(content);
  if (same != family->by_content.end()) {
    const std::optional<std::string> bytes = bytes_of(join_path(folder, sjis_refs_to_utf8(same->second)));
    if (bytes && *bytes == data) {
      name = same->second;
      return;
    }
  }
  for (std::uint64_t n = family->next;; ++n) {
    const std::string candidate = Numbered(base, n, ext);
    if (is_archive_file(candidate)) continue;
    const std::string disk_name = sjis_refs_to_utf8(candidate);
    const std::string path = join_path(folder, disk_name);
    if (exists(path) || !create_recorded(path, disk_name, data, journal)) continue;
    family->next = n + 1;
    family->by_content[content] = candidate;
    name = candidate;
    return;
  }
}

}  // namespace

void Save_Attach(const std::string& folder, std::string& name, const std::string& data, RunJournal* journal,
                 std::string_view page) {
  place_file(folder, name, data, journal);
  if (journal && !page.empty()) journal->linked(page, name);
}
