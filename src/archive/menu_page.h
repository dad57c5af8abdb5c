// The thread order and menu.html.
#pragma once

#include <string>

struct ArchiveRecords;
struct Workspace;

// Builds syo_list from work_list. False after a reported error.
bool Syosai_Make(Workspace& ws);
// Writes menu.html from syo_list and work_list, splicing it into the menu of
// records.Old_Archive when there is one, and sets records.New_Index to the
// index of what it wrote (or resets it). False after a reported error.
bool Make_Menu(Workspace& ws, ArchiveRecords& records, const std::string& folder);
