// The history of output folders, "vorn_htm.his" in the program folder:
// Shift_JIS text, one folder per line, most recent first, at most 10 lines.
#pragma once

#include <string>
#include <vector>

// Puts folder at the top of the history, dropping its other occurrences and
// anything past ten entries. Never reports: a failure leaves the file as it was.
void Make_HisFile(const std::string& App_Dir, const std::string& folder);

// The folders of the history in order, in the form the file system uses.
std::vector<std::string> Read_HisFile(const std::string& App_Dir);
