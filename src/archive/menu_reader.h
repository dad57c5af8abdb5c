// Reading an existing menu.html back into work_list.
#pragma once

#include <string>
#include <string_view>

#include "core/message_record.h"

struct Workspace;

// True when menu.html was read to its end or does not exist; false after a
// reported error.
bool Read_Menu(Workspace& ws, const std::string& folder);
// The record of one entry line of menu.html; throws VbError when the line is
// no entry or a malformed one.
MessageRecord Read_Menu_Line(Workspace& ws, std::string_view line);
