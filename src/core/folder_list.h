// What a folder holds.
#pragma once

#include <string>
#include <vector>

// Ordinary files of a folder: no folders, no hidden files (names beginning
// with "."). Names only, in the order the folder lists them.
std::vector<std::string> list_files(const std::string& dir);
// Folders of a folder, hidden ones left out, in the order it lists them.
std::vector<std::string> list_folders(const std::string& dir);
// Whether list_files would list anything; stops at the first file.
bool has_files(const std::string& dir);
