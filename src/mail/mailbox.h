// One mailbox file into messages: pages, attachments and work_list lines.
#pragma once

#include <string>

struct Workspace;

// True when the file was processed (also for an empty file); false after an
// error that has been reported to the user.
bool File_Syori(Workspace& ws, const std::string& folder, const std::string& path);
