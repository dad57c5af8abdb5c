// Saving an attachment into the output folder without overwriting anything:
// the archive's own file names are guarded with the prefix "t_", a taken name
// gets the first free number before its extension, and the file is created
// exclusively, so that neither an earlier attachment nor a file that appears
// meanwhile is ever replaced.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>

#include "codec/cp932.h"
#include "codec/sjis_text.h"
#include "mail/attachments.h"
#include "run/file_ops.h"

namespace {

// Names the archive writes itself: an attachment never takes one.
bool Is_Reserved(const std::string& name) {
  if (name == "index.html" || name == "menu.html" || name == "m0000000.txt" || name == "rank_hyo.htm") return true;
  if (name.size() != 12 || name[0] != 'm' || name.compare(8, 4, ".htm") != 0) return false;
  for (std::size_t k = 1; k < 8; ++k)
    if (name[k] < '0' || name[k] > '9') return false;
  return true;
}

// Highest number found taken for a base and extension in a folder during this
// session, so that saving the same name again and again does not test every
// smaller number each time. Files are only added to the output folder while a
// run saves attachments; an entry is dropped when its plain name or its last
// number is found free again (the folder was emptied for a rebuild).
std::unordered_map<std::string, std::uint64_t>& Taken_Numbers() {
  static std::unordered_map<std::string, std::uint64_t> taken;
  return taken;
}

}  // namespace

void Save_Attach(const std::string& folder, std::string& name, const std::string& data) {
  std::string plain = Plain_Attach_Name(name);
  const std::size_t dot = sjis::rfind_char(plain, '.');
  std::string base = dot == std::string::npos ? plain : plain.substr(0, dot);
  const std::string ext = dot == std::string::npos ? std::string() : plain.substr(dot);
  if (Is_Reserved(plain)) {
    plain = "t_" + plain;
    base = "t_" + base;
  }

  const std::string key = folder + '\0' + base + '\0' + ext;
  const std::string first = join_path(folder, cp932::to_utf8(plain));
  if (!exists(first) && create_new_file(first, data)) {
    Taken_Numbers().erase(key);
    name = plain;
    return;
  }
  std::uint64_t& taken = Taken_Numbers()[key];
  // The folder may have been emptied since (a rebuild in the same session).
  if (taken > 0 && !exists(join_path(folder, cp932::to_utf8(base + std::to_string(taken) + ext)))) taken = 0;
  for (std::uint64_t n = taken + 1;; ++n) {
    taken = n;
    const std::string candidate = base + std::to_string(n) + ext;
    if (Is_Reserved(candidate)) continue;
    const std::string path = join_path(folder, cp932::to_utf8(candidate));
    if (exists(path) || !create_new_file(path, data)) continue;
    name = candidate;
    return;
  }
}
