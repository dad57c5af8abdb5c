// Scratch program folders and file helpers for the settings tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "codec/cp932.h"
#include "support/temp_dir.h"

namespace ini_test {

// A fresh folder standing in for the program folder; removed afterwards.
class ProgramDir : public ::testing::Test {
 protected:
  // Writes the settings file from UTF-8 text, converted to Shift_JIS.
  void write_ini(const std::string& utf8) const { write_bytes(ini, cp932::from_utf8(utf8)); }

  static void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static std::string data_file(const std::string& name) {
    return read_bytes(std::string(VORN_SOURCE_DIR) + "/tests/settings/data/" + name);
  }
  // Names in the folder besides the settings file (left-over temporary files).
  std::size_t other_entries() const {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir))
      if (e.path().filename() != "vorn_htm.ini") ++n;
    return n;
  }

  TempDir tmp;
  std::string dir = tmp.path();
  std::string ini = dir + "/vorn_htm.ini";
};

inline std::string sj(const std::string& utf8) { return cp932::from_utf8(utf8); }

}  // namespace ini_test
