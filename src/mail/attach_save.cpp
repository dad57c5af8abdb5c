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

// Creates path exclusively and writes data. False when the name is taken.
bool Create_New(const std::string& path, const std::string& data) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (errno == EEXIST) return false;
    const int e = errno;
    throw VbError(vb_code_from_errno(e), path + ": " + std::strerror(e));
  }
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int e = errno;
      ::close(fd);
      ::unlink(path.c_str());
      throw VbError(vb_code_from_errno(e), path + ": " + std::strerror(e));
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    const int e = errno;
    ::unlink(path.c_str());
    throw VbError(vb_code_from_errno(e), path + ": " + std::strerror(e));
  }
  return true;
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
  if (!exists(first) && Create_New(first, data)) {
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
    if (exists(path) || !Create_New(path, data)) continue;
    name = candidate;
    return;
  }
}
