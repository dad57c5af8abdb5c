// Files written whole or not at all: written beside their place under a
// temporary name and renamed over it.
#pragma once

#include <string>
#include <string_view>

#include "core/text_out.h"

// Temporary files are named kTempPrefix + the final name + "." + six random
// letters or digits. The name is hidden, and no attachment is saved under a
// name that starts with "."; so a name of this shape is always one of ours.
inline constexpr std::string_view kTempPrefix = ".vorn_htm~";
bool is_temp_name(std::string_view name);
// Whether name ends in "." and six letters or digits, as mkstemp makes them.
bool has_temp_suffix(std::string_view name);
// How many temporary files of this process exist now: made and neither
// renamed into place nor removed yet.
int live_temp_files();

// A file written in pieces beside path and renamed over it by commit(), so
// that readers see either the old or the new file whole. Lines collect in a
// buffer that goes to the file whenever it grows past a megabyte, so a file
// of any size is written in little memory. Without commit() the temporary
// file is removed.
class AtomicOut {
 public:
  explicit AtomicOut(std::string path);
  ~AtomicOut();
  AtomicOut(const AtomicOut&) = delete;
  AtomicOut& operator=(const AtomicOut&) = delete;

  void line(std::string_view s) {
    buf_.line(s);
    if (buf_.data().size() >= (1u << 20)) flush();
  }
  void end_line() { line({}); }
  void part(std::string_view s) {
    if (s.size() >= (1u << 20)) return write_through(s);
    buf_.part(s);
    if (buf_.data().size() >= (1u << 20)) flush();
  }
  // Appends length bytes of the open file src from offset, copied by the
  // kernel where it can.
  void copy_from(int src, long long offset, long long length);
  // Bytes written so far, buffered ones included.
  long long size() const { return written_ + static_cast<long long>(buf_.data().size()); }
  void commit();

 private:
  void flush();
  void write_through(std::string_view s);

  std::string path_, temp_;
  int fd_ = -1;
  long long written_ = 0;
  TextOut buf_;
};

// Writes data to a unique temporary file in the same folder and renames it
// over path, so that readers see either the old or the new file whole.
void write_file_atomic(const std::string& path, std::string_view data);
