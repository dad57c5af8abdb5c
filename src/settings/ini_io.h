// File access of the settings module. The run's file services live in a
// library the settings may not depend on, so the few operations needed here
// are kept local; they fail with the same VbError numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Maps an errno value to the numeric error codes of VbError.
int ini_error_number(int err);

// The lines of a text file (CR LF, CR and LF all end a line; a final line end
// starts no further line). Nothing when the file does not exist; throws
// VbError when it exists but cannot be read.
std::optional<std::vector<std::string>> ini_read_lines(const std::string& path);

// True when path names an existing file (symbolic links followed).
bool ini_file_exists(const std::string& path);

// Writes data to a unique temporary file in the same folder and renames it
// over path, so that a failed write never leaves a cut-off settings file.
// Throws VbError.
void ini_write_atomic(const std::string& path, std::string_view data);
