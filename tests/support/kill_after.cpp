// Preloaded into the program by the fault tests: kills the process with
// SIGKILL right after its Nth finished file operation (a rename, or the
// close of a file opened for writing), N from VORN_KILL_AFTER. With
// VORN_FULL_AFTER=N instead, the disk is full from the Nth finished
// operation on: every write into a regular file fails with ENOSPC, as on a
// full disk (files can still be made, read, renamed and removed). With
// VORN_KILL_COUNT set, the process runs to its end and writes the number of
// such operations it made into that file, so that a test knows how many
// points there are to stop at.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<long> done{0};

long limit() {
  static const long n = [] {
    const char* v = std::getenv("VORN_KILL_AFTER");
    return v ? std::atol(v) : 0L;
  }();
  return n;
}

long full_after() {
  static const long n = [] {
    const char* v = std::getenv("VORN_FULL_AFTER");
    return v ? std::atol(v) : 0L;
  }();
  return n;
}

void tick() {
  const long n = ++done;
  if (limit() > 0 && n >= limit()) ::raise(SIGKILL);
}

// Whether a write to fd fails now: the disk is full and fd is a file.
bool disk_full(int fd) {
  if (full_after() <= 0 || done.load() < full_after() || fd <= 2) return false;
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

struct CountAtExit {
  ~CountAtExit() {
    if (const char* p = std::getenv("VORN_KILL_COUNT")) {
      if (std::FILE* f = std::fopen(p, "w")) {
        std::fprintf(f, "%ld\n", done.load());
        std::fclose(f);
      }
    }
  }
} count_at_exit;

template <class F>
F real(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int close(int fd) {
  static const auto next = real<int (*)(int)>("close");
  const int flags = ::fcntl(fd, F_GETFL);
  const int r = next(fd);
  if (r == 0 && flags >= 0 && (flags & O_ACCMODE) != O_RDONLY) tick();
  return r;
}

extern "C" int rename(const char* from, const char* to) {
  static const auto next = real<int (*)(const char*, const char*)>("rename");
  const int r = next(from, to);
  if (r == 0) tick();
  return r;
}

extern "C" ssize_t write(int fd, const void* buf, size_t n) {
  static const auto next = real<ssize_t (*)(int, const void*, size_t)>("write");
  if (n > 0 && disk_full(fd)) {
    errno = ENOSPC;
    return -1;
  }
  return next(fd, buf, n);
}

extern "C" ssize_t pwrite(int fd, const void* buf, size_t n, off_t at) {
  static const auto next = real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
  if (n > 0 && disk_full(fd)) {
    errno = ENOSPC;
    return -1;
  }
  return next(fd, buf, n, at);
}

extern "C" ssize_t copy_file_range(int in, off_t* in_at, int out, off_t* out_at, size_t n, unsigned flags) {
  static const auto next = real<ssize_t (*)(int, off_t*, int, off_t*, size_t, unsigned)>("copy_file_range");
  if (n > 0 && disk_full(out)) {
    errno = ENOSPC;
    return -1;
  }
  return next(in, in_at, out, out_at, n, flags);
}
