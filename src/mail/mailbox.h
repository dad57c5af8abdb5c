// One mailbox file into messages: pages, attachments and work_list lines.
#pragma once

#include <string>

class MessageSink;
struct Workspace;

// True when the file was processed (also for an empty file); false after an
// error that has been reported to the user. Each message's page goes to
// sink, and a re-sent message is looked for in work_list, then by sink.
bool File_Syori(Workspace& ws, MessageSink& sink, const std::string& folder, const std::string& path);
