// rank_hyo.htm: the senders of the whole archive ranked by message count.
#pragma once

#include <string>

struct Workspace;

// Counts the senders of work_list through ml_work and ml_count and writes
// the page. False after a reported error.
bool Address_Count(Workspace& ws, const std::string& folder);
