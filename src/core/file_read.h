// Reading files: whole, as lines, through a descriptor or mapped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Reads a whole text file and splits it into lines by the rule of
// split_lines (core/split_lines.h).
std::vector<std::string> read_lines(const std::string& path);
// Reads a whole file as bytes.
std::string read_file(const std::string& path);

// A file opened for reading; closed with the object.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

// A whole file mapped read-only into memory; unmapped with the object. With
// read_now, the file is read in at once; else pages are read as touched.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path, bool read_now = true);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  std::string_view data() const { return {static_cast<const char*>(data_), size_}; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};
