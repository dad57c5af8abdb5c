// Preloaded into the program by the fault tests: kills the process with
// SIGKILL right after its Nth finished file operation (a rename, or the
// close of a file opened for writing), N from VORN_KILL_AFTER. With
// VORN_KILL_COUNT set instead, the process runs to its end and writes the
// number of such operations it made into that file, so that a test knows
// how many points there are to stop at.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
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

void tick() {
  const long n = ++done;
  if (limit() > 0 && n >= limit()) ::raise(SIGKILL);
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
