// The history of output folders, "vorn_htm.his" in the program folder:
// Shift_JIS text, one folder per line, most recent first, at most 10 lines.
// Folders are recorded as absolute paths, so that the pop-up offers folders
// that work from any current folder; lines written before that are read and
// kept as they stand.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Puts folder (as absolute_folder gives it) at the top of the history,
// dropping its other occurrences and anything past ten entries; makes the
// program folder when it is missing (a per-user folder on first use). Never
// reports: a failure leaves the file as it was.
void Make_HisFile(const std::string& App_Dir, const std::string& folder);

// folder as an absolute path: joined to the current folder when relative, with
// "." and ".." steps and doubled or trailing "/" taken out. Where taking out
// ".." would lead elsewhere (it follows a link), the folder's real path.
std::string absolute_folder(const std::string& folder);

// The folders of the history in order, in the form the file system uses.
std::vector<std::string> read_his_file(const std::string& App_Dir);

// What the history pop-up offers: read_his_file's folders, or nothing at all
// when App_Dir holds no history file (no regular file of that name), which
// differs from an empty history (an empty list).
std::optional<std::vector<std::string>> history_folders(const std::string& App_Dir);
