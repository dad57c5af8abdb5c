#include "run/folder_lock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/file_info.h"
#include "core/vb_error.h"

bool FolderLock::acquire(const std::string& folder, std::chrono::milliseconds wait,
                         const std::function<void()>& on_wait) {
  release();
  const std::string path = join_path(folder, kLockName);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) throw VbError(vb_code_from_errno(errno), path + ": " + error_reason(errno));
  const auto until = std::chrono::steady_clock::now() + wait;
  auto pause = std::chrono::milliseconds(20);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      mark_running();
      return true;
    }
    const int e = errno;
    if (e != EWOULDBLOCK && e != EINTR) {
      ::close(fd);
      throw VbError(vb_code_from_errno(e), path + ": " + error_reason(e));
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= until) break;
    if (on_wait && pause == std::chrono::milliseconds(20)) on_wait();
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, until - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(500));
  }
  ::close(fd);
  return false;
}

namespace {
constexpr std::string_view kClean = "clean\n";
constexpr std::string_view kRunning = "running\n";

bool put_state(int fd, std::string_view state) {
  return ::pwrite(fd, state.data(), state.size(), 0) == static_cast<ssize_t>(state.size()) &&
         ::ftruncate(fd, static_cast<off_t>(state.size())) == 0;
}
}  // namespace

// The lock file says "clean" only between runs that ended with none of their
// temporary files left behind. Anything else (a run still going, killed or
// crashed, a file from an earlier version, a write that failed) means the
// folder may hold leftovers. The state is overwritten in place, so a run
// killed halfway through writing it leaves neither word exactly.
void FolderLock::mark_running() {
  char was[16] = {};
  const ssize_t n = ::pread(fd_, was, sizeof was, 0);
  may_hold_leftovers_ = n != static_cast<ssize_t>(kClean.size()) || std::string_view(was, kClean.size()) != kClean;
  if (!put_state(fd_, kRunning) && ::ftruncate(fd_, 0) != 0) may_hold_leftovers_ = true;
}

void FolderLock::release() {
  if (fd_ < 0) return;
  if (live_temp_files() == 0) put_state(fd_, kClean);
  ::close(fd_);  // closing the only descriptor releases the lock
  fd_ = -1;
}

std::chrono::milliseconds lock_wait() {
  if (const char* v = std::getenv("VORN_HTM_LOCK_WAIT")) {
    char* end = nullptr;
    const double s = std::strtod(v, &end);
    if (end != v && s >= 0 && s < 1e6) return std::chrono::milliseconds(static_cast<long long>(s * 1000));
  }
  return std::chrono::minutes(10);
}

int remove_leftovers(const std::string& folder) {
  DIR* d = ::opendir(folder.c_str());
  if (!d) return 0;
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view n = e->d_name;
    if (e->d_type != DT_REG && e->d_type != DT_UNKNOWN) continue;
    if (is_leftover(n)) names.emplace_back(n);
  }
  ::closedir(d);
  int removed = 0;
  for (const std::string& n : names) {
    const std::string path = join_path(folder, n);
    if (is_regular_file(path) && ::unlink(path.c_str()) == 0) ++removed;
  }
  return removed;
}
