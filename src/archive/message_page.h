// Message pages "m" + 7 digits + ".htm".
#pragma once

#include <string>
#include <vector>

struct Workspace;

// True when the line is a quote line by the quote markers.
bool Check_Reply(const std::string& line, const std::string& REP_MRK);

// Writes the page from ws.out_buf and clears it; does nothing when the path
// is blank. A message without body lines gets a page with its header block
// only. attachments[0] is a placeholder; the saved names follow it. Throws
// VbError when the page cannot be written.
void Make_Page(Workspace& ws, const std::string& page_path, const std::string& subject, const std::string& date,
               const std::string& sender, const std::vector<std::string>& attachments);
