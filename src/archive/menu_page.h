// The thread order and menu.html.
#pragma once

#include <string>

struct Workspace;

// Builds syo_list from work_list. False after a reported error.
bool Syosai_Make(Workspace& ws);
// Writes menu.html from syo_list and work_list. False after a reported error.
bool Make_Menu(Workspace& ws, const std::string& folder);
