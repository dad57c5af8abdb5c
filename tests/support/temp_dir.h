// A folder under /tmp that lives as long as the object, for tests that write
// files.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/vorn_test.XXXXXX";
    const char* made = ::mkdtemp(tmpl);
    if (!made) throw std::runtime_error("mkdtemp failed");
    path_ = made;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  // Writes bytes to a file below the folder, creating folders on the way.
  std::string write(const std::string& name, const std::string& bytes) const {
    std::string p = *this / name;
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(*this / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string path_;
};
