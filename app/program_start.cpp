#include "program_start.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

std::vector<InstalledPlace> installed_places() {
  std::vector<InstalledPlace> places;
#if defined(VORN_INSTALL_BINDIR) && defined(VORN_INSTALL_DATADIR)
  places.push_back({VORN_INSTALL_BINDIR, VORN_INSTALL_DATADIR});
#endif
#if defined(VORN_PACKAGE_BINDIR) && defined(VORN_PACKAGE_DATADIR)
  places.push_back({VORN_PACKAGE_BINDIR, VORN_PACKAGE_DATADIR});
#endif
  return places;
}

std::string program_folder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<std::size_t>(n));
  std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

// An archive's lists hold hundreds of megabytes of small strings, and on a
// kernel that gives transparent huge pages only on request ("madvise", the
// Debian default) every 4 KB of them costs a page fault. glibc asks for huge
// pages when its hugetlb tunable is set (an append of 1,000 messages into
// 200,000 took about 30% less time); tunables are read only at start-up, so
// the program starts itself once more with it set. Tunables the user set
// are left alone, and so is a program run under a tool that preloads its
// libraries (valgrind, heaptrack), which a new start would leave behind. The
// marker keeps the second start from a third.
void prefer_huge_pages(const char* program, char** argv) {
  constexpr const char* kMarker = "VORN_HTM_HUGE_PAGES";
  if (std::getenv(kMarker)) {
    ::unsetenv(kMarker);
    ::unsetenv("GLIBC_TUNABLES");  // not handed on to programs started later
    return;
  }
  if (std::getenv("GLIBC_TUNABLES") || std::getenv("LD_PRELOAD")) return;
  char mode[128] = {};
  if (std::FILE* f = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "r")) {
    if (!std::fgets(mode, sizeof mode, f)) mode[0] = '\0';
    std::fclose(f);
  }
  if (!std::strstr(mode, "[madvise]")) return;
  ::setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 1);
  ::setenv(kMarker, "1", 1);
  ::execv(program, argv);
  // Not started again: go on as we are.
  ::unsetenv(kMarker);
  ::unsetenv("GLIBC_TUNABLES");
}

// glibc raises the size from which a block is mapped on its own to that of
// each such block freed (up to 32 MB), so the run's big tables (the search
// index's lookup tables, a list's vector) end up inside the heap; freed after
// the mailbox walk, they stay there as holes that the steps after it do not
// fill, and the steps' own big blocks are mapped beside them. A fixed size
// (which also stops the raising) gives the holes back: at a million messages
// with the search index the peak was some 45 MB lower, for the same time.
void return_big_blocks() { mallopt(M_MMAP_THRESHOLD, 4 << 20); }
