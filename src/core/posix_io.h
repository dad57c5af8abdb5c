// What the file services share: a failed system call turned into a VbError,
// and a whole buffer written to a descriptor.
#pragma once

#include <string>
#include <string_view>

namespace posix_io {

// Throws VbError for errno value err, naming what (a path).
[[noreturn]] void fail(const std::string& what, int err);
// The same for a file being created: ENOENT there means its folder is missing.
[[noreturn]] void fail_create(const std::string& what, int err);
// Closes fd, then fails with err (taken before the close could change errno).
[[noreturn]] void close_and_fail(int fd, const std::string& what, int err);
// Writes all of data to fd; on failure closes fd and throws, naming path.
void write_all(int fd, std::string_view data, const std::string& path);

}  // namespace posix_io
