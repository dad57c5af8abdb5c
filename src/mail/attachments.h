// Saving a message's files into the output folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/attach_list.h"

class RunJournal;
struct Workspace;

// Reduces a decoded (Shift_JIS) attachment name to a plain file name that is
// safe to create in the output folder and to link from a page: no folder
// parts, drive, control characters or characters that break a link; never
// "." or ".."; "attach" when nothing is left.
std::string plain_attach_name(const std::string& name);

// Saves data under folder: the name is first reduced by plain_attach_name,
// the archive's own names get the prefix "t_"; when a file of that name, or
// of that name with a number, already holds the same bytes, it is used as it
// stands; else a taken name gets the first free number before its extension. The file is created exclusively, so no
// existing file is ever replaced. name comes back as the name used (Shift_JIS,
// for the page's link); the file on disk is named by its UTF-8 form.
// Throws VbError when the file cannot be written. With a journal, a file it
// creates is recorded there as soon as it exists, and that page (a page file
// name) links the file used, before this returns.
void Save_Attach(const std::string& folder, std::string& name, const std::string& data, RunJournal* journal = nullptr,
                 std::string_view page = {});
