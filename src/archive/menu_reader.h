// Reading an existing menu.html back into work_list.
#pragma once

#include <string>
#include <string_view>

#include "core/message_record.h"

struct ArchiveRecords;
struct Workspace;

// True when menu.html was read to its end or does not exist; false after a
// reported error. When the index of the menu (menu_index.h) stands in for
// it, only records.Old_Archive is set and work_list stays as it was.
bool Read_Menu(Workspace& ws, ArchiveRecords& records, const std::string& folder);
// Reads every entry of folder's menu.html into work_list, raising Mail_No,
// and changes nothing in the folder (the menu's index stays). Throws VbError.
void read_whole_menu(Workspace& ws, const std::string& folder);
// The record of one entry line of menu.html; throws VbError when the line is
// no entry or a malformed one.
MessageRecord read_menu_line(Workspace& ws, std::string_view line);
