// The program as a user runs it, for tests: a copy of the built binary in a
// folder of its own (so that its settings and history never touch the
// build folder), started with argument words as a shell would hand them over.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

class ProgramCopy {
 public:
  struct Result {
    int status = -1;  // exit status; -1 when killed by a signal
    std::string out, err;
  };

  explicit ProgramCopy(const std::string& dir) : dir_(dir) {
    std::filesystem::create_directories(dir_);
    std::filesystem::copy_file(VORN_BINARY, path(), std::filesystem::copy_options::overwrite_existing);
  }
  std::string path() const { return dir_ + "/vorn_htm"; }
  const std::string& dir() const { return dir_; }
  void settings(const std::string& ini) const { std::ofstream(dir_ + "/vorn_htm.ini", std::ios::binary) << ini; }

  // Starts the program; standard output and error go to files named by tag.
  pid_t start(const std::vector<std::string>& words, const std::string& tag = "run") const {
    std::vector<std::string> argv_s{path()};
    argv_s.insert(argv_s.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& w : argv_s) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, (dir_ + "/" + tag + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, (dir_ + "/" + tag + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    return pid;
  }
  Result wait(pid_t pid, const std::string& tag = "run") const {
    int st = 0;
    Result r;
    if (pid > 0 && ::waitpid(pid, &st, 0) == pid && WIFEXITED(st)) r.status = WEXITSTATUS(st);
    r.out = slurp(dir_ + "/" + tag + ".out");
    r.err = slurp(dir_ + "/" + tag + ".err");
    return r;
  }
  Result run(const std::vector<std::string>& words) const { return wait(start(words)); }

  static std::string slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string dir_;
};
