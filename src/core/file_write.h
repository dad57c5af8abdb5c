// Writing, removing and making files and folders.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Creates path exclusively (never through a link) and writes data; false
// when the name is taken. A file cut short by a failed write is removed.
bool create_new_file(const std::string& path, std::string_view data);
// The same; created(fd) is called as soon as the file exists, before its
// bytes are written. When it throws, the file is removed and the exception
// goes on.
bool create_new_file(const std::string& path, std::string_view data, const std::function<void(int fd)>& created);
// Writes data as a new file named path. Whatever had that name (a file, a
// link) is replaced by a rename, so nothing is ever written through a link,
// and a write that fails leaves the old file whole.
void replace_file(const std::string& path, std::string_view data);

// Changes path, whose bytes were read as old_data, into new_data in place:
// only the bytes from the first difference on are written, and the file is
// cut to the new length. Not atomic: for files this run created itself,
// which a reader could as well meet half written. Never writes through a
// link.
void update_in_place(const std::string& path, std::string_view old_data, std::string_view new_data);

// The same for the bytes change makes of path's bytes, read and written
// through one open of the file; false when they are the same (nothing is
// written).
bool change_in_place(const std::string& path, const std::function<std::string(const std::string&)>& change);

// Replaces path with data (the old file is truncated first).
void write_file(const std::string& path, std::string_view data);
// The same for data given a piece at a time by next(), which ends it with
// an empty piece: a big file written in little memory.
void write_file_pieces(const std::string& path, const std::function<std::string_view()>& next);

void remove_file(const std::string& path);     // throws when it cannot
void make_directory(const std::string& path);  // one level; throws when it cannot
