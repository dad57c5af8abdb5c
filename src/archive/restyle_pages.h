// Bringing the pages of earlier runs in line with the current colours and
// font size.
#pragma once

#include <string>

struct ArchiveRecords;
struct Workspace;

// Restyles the page of every work_list record read back from the old menu,
// unless records.Old_State says the last run left them in this style. A page
// that is missing is skipped with a warning. False after a reported error;
// the page being rewritten then keeps its content.
bool Update_Text(Workspace& ws, const ArchiveRecords& records, const std::string& folder);

// The restyled form of one page's bytes (CR LF lines).
std::string restyle_page(const std::string& page, const Workspace& ws);
