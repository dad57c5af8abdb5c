// Paths and what the file system says about them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// "dir" + "/" + "name".
std::string join_path(std::string_view dir, std::string_view name);

bool exists(const std::string& path);  // anything by that name
bool is_directory(const std::string& path);
bool is_regular_file(const std::string& path);

// The file's size in bytes.
long long file_size(const std::string& path);

// Size, modification and change times (nanoseconds) and inode of a file, to
// tell whether it changed since they were taken; nothing when it cannot be
// read. The change time is set by the system on every write and cannot be
// set back (as the modification time can, by touch -r), and a file renamed
// into the place of another has another inode.
struct FileStamp {
  long long size = 0;
  long long mtime_ns = 0;
  long long ctime_ns = 0;
  unsigned long long inode = 0;
  bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> file_stamp(const std::string& path);
