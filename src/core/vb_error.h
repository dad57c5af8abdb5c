// The error every step reports.
//
// A failing operation throws VbError with the numeric code the step shows in
// its message: 5 invalid argument, 6 overflow, 9 index out of range,
// 53 file not found, 57 device I/O error, 61 disk full, 70 permission denied,
// 75 path/file access error, 76 path not found.
#pragma once

#include <stdexcept>
#include <string>

struct VbError : std::runtime_error {
  VbError(int number, const std::string& what) : std::runtime_error(what), number(number) {}
  int number;
};

// The code a step shows for a caught exception: a VbError's own number,
// 9 for an index out of range, 7 for memory exhausted, 5 for anything else.
int vb_error_number(const std::exception& e);

// Maps an errno value to the codes above.
int vb_code_from_errno(int err);
// The reason an errno value gives, for a person: Japanese where we have the
// words, followed by the system's own text ("ディスクの空きがありません (No
// space left on device)").
std::string error_reason(int err);
// What a caught exception tells a person: a VbError's text (the file and the
// reason), and a plain word for the rest.
std::string error_text(const std::exception& e);
