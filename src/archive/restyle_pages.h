// Bringing the pages of earlier runs in line with the current colours and
// font size.
#pragma once

#include <string>

struct Workspace;

// Restyles the page of every work_list line read back from the old menu
// (origin "1"). A page that is missing is skipped with a warning. False
// after a reported error; the page being rewritten then keeps its content.
bool Update_Text(Workspace& ws, const std::string& folder);

// The restyled form of one page's bytes (CR LF lines).
std::string Restyle_Page(const std::string& page, const Workspace& ws);
