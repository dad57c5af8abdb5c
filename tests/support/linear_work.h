// Checks that an operation's work grows linearly with its input, by the
// number of machine instructions it executes as valgrind's callgrind counts
// them: a count, not a time, so a busy machine, the sanitizers or a slow
// build change nothing, and every instruction counts, those of the C
// library, iconv and GMime included.
//
// A test adds its cases and calls expect_linear(). The test then runs again
// in a child process under callgrind (VORN_LINEAR_WORK set), where each case
// builds its input at n, 2n and 4n bytes and runs the operation once per
// size inside vorn_counted_call, the only function callgrind collects in; it
// writes one count per call. Back in the test, the growth from 2n to 4n must
// stay within kMostGrowth times the growth from n to 2n (and a few
// instructions of the allocator): linear work gives 2, as what the operation
// costs whatever its size cancels out; work that grows with the square of the
// input gives 4, or less while the square is still small beside the linear
// part, so n must be large enough for that part to show. Before it is
// counted, each case runs once at 4n, so that work done only on a first call
// (loading a converter, growing the heap) is not counted.
//
// The C library copies and fills long blocks with one instruction
// ("rep movsb") that callgrind counts once per byte, short ones with a loop
// of wide moves: the child copies every block the same way, so that a copy
// costs in proportion to its length at every size.
//
// Needs valgrind on PATH (scripts/packages.sh installs it); without it the
// test fails. Under AddressSanitizer, which valgrind cannot run, it is
// skipped: the ordinary build runs it.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORN_LINEAR_WORK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VORN_LINEAR_WORK_ASAN 1
#endif

// Callgrind collects only inside this function. Not inlined, and the empty
// statement after the call keeps it from becoming a jump that leaves it.
extern "C" inline __attribute__((noinline)) void vorn_counted_call(const std::function<void()>* operation) {
  (*operation)();
  asm volatile("" ::: "memory");
}

class LinearWork {
 public:
  // make(size) builds the input of about size bytes and returns the
  // operation on it; only the operation is counted.
  using Make = std::function<std::function<void()>(std::size_t size)>;

  // Linear work gives 2 (observed up to 2.15), quadratic work 4.
  static constexpr double kMostGrowth = 2.5;
  static constexpr double kAllocatorSlack = 2000;

  explicit LinearWork(std::size_t n = 4096) : n_(n) {}

  void add(std::string name, Make make) { cases_.push_back({std::move(name), std::move(make)}); }

  void expect_linear() {
    if (std::getenv("VORN_LINEAR_WORK")) return run_counted();
#ifdef VORN_LINEAR_WORK_ASAN
    GTEST_SKIP() << "valgrind cannot run a program built with AddressSanitizer";
#else
    const std::optional<std::vector<long long>> counts = count_in_child();
    if (!counts) return;
    for (std::size_t c = 0; c < cases_.size(); ++c) {
      SCOPED_TRACE(cases_[c].name);
      const long long at_n = (*counts)[3 * c], at_2n = (*counts)[3 * c + 1], at_4n = (*counts)[3 * c + 2];
      const long long first = at_2n - at_n, second = at_4n - at_2n;
      EXPECT_GT(first, 0) << "no work that grows with the input was counted";
      EXPECT_LE(second, kMostGrowth * first + kAllocatorSlack)
          << "instructions at " << n_ << ", " << 2 * n_ << " and " << 4 * n_ << " bytes: " << at_n << ", " << at_2n
          << ", " << at_4n;
    }
#endif
  }

 private:
  struct Case {
    std::string name;
    Make make;
  };

  void run_counted() {
    for (const Case& c : cases_) {
      c.make(4 * n_)();  // uncounted: first-call work, and room for the largest
      for (std::size_t size : {n_, 2 * n_, 4 * n_}) {
        const std::function<void()> operation = c.make(size);
        vorn_counted_call(&operation);
      }
    }
  }

  // Runs this test under callgrind and returns its counts, three a case.
  std::optional<std::vector<long long>> count_in_child() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    char self[4096];
    const ssize_t self_len = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (self_len <= 0) {
      ADD_FAILURE() << "cannot name this test program";
      return std::nullopt;
    }
    self[self_len] = '\0';
    TempDir dir;
    const std::string log = dir / "log";
    const std::string out = "--callgrind-out-file=" + dir.path() + "/cg.%p";
    // Everything the child needs is made before the fork: between fork and
    // exec it may only call what is safe in a copy of a threaded process.
    std::vector<std::string> env_text = {
        "VORN_LINEAR_WORK=1", "LD_BIND_NOW=1",
        "GLIBC_TUNABLES=glibc.cpu.x86_rep_movsb_threshold=1073741824:glibc.cpu.x86_rep_stosb_threshold=1073741824"};
    for (char** e = environ; *e; ++e) {
      const std::string_view v = *e;
      if (!v.starts_with("VORN_LINEAR_WORK=") && !v.starts_with("LD_BIND_NOW=") && !v.starts_with("GLIBC_TUNABLES="))
        env_text.emplace_back(v);
    }
    std::vector<char*> env;
    for (std::string& e : env_text) env.push_back(e.data());
    env.push_back(nullptr);
    const char* const argv[] = {"valgrind",
                                "--tool=callgrind",
                                "--collect-atstart=no",
                                "--toggle-collect=vorn_counted_call",
                                "--dump-after=vorn_counted_call",
                                out.c_str(),
                                self,
                                filter.c_str(),
                                nullptr};
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(fd, 1);
      ::dup2(fd, 2);
      ::execvpe("valgrind", const_cast<char* const*>(argv), env.data());
      ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      ADD_FAILURE() << (WIFEXITED(status) && WEXITSTATUS(status) == 127
                            ? "cannot run valgrind, which counts the instructions (scripts/packages.sh installs it)"
                            : "the counting run failed")
                    << "\n"
                    << dir.read("log");
      return std::nullopt;
    }
    std::vector<long long> counts;
    for (std::size_t k = 1; k <= 3 * cases_.size(); ++k) {
      std::ifstream in(dir.path() + "/cg." + std::to_string(pid) + "." + std::to_string(k));
      std::string line;
      long long total = -1;
      while (std::getline(in, line))
        if (line.rfind("totals: ", 0) == 0) total = std::stoll(line.substr(8));
      if (total < 0) {
        ADD_FAILURE() << "no count " << k << " from callgrind\n" << dir.read("log");
        return std::nullopt;
      }
      counts.push_back(total);
    }
    return counts;
  }

  std::size_t n_;
  std::vector<Case> cases_;
};
