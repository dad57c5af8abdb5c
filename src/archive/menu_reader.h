// Reading an existing menu.html back into work_list.
#pragma once

#include <string>

struct Workspace;

// True when menu.html was read to its end or does not exist; false after a
// reported error.
bool Read_Menu(Workspace& ws, const std::string& folder);
