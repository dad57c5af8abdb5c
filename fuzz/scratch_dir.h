// A scratch folder under /tmp for the fuzz targets that write files: made
// once per process, emptied before every input and removed when the process
// ends, so that one execution never sees the files of the one before.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

class ScratchDir {
 public:
  ScratchDir() {
    char tmpl[] = "/tmp/vorn_fuzz.XXXXXX";
    const char* made = ::mkdtemp(tmpl);
    if (!made) {
      std::perror("mkdtemp");
      std::abort();
    }
    path_ = made;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

  // Removes everything inside the folder, which stays.
  void clear() const {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(path_, ec)) std::filesystem::remove_all(e.path(), ec);
  }
  // Makes a folder inside.
  std::string folder(std::string_view name) const {
    const std::string p = *this / name;
    std::filesystem::create_directories(p);
    return p;
  }
  std::string write(std::string_view name, std::string_view bytes) const {
    const std::string p = *this / name;
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  // The names directly inside the folder, sorted.
  std::vector<std::string> names() const {
    std::vector<std::string> v;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(path_, ec)) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  }

 private:
  std::string path_;
};

// Stops the run with a message when an invariant of a target does not hold;
// libFuzzer and the replay test both report the abort.
#define FUZZ_CHECK(cond)                                                            \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)
