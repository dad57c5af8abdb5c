// The values of the message that the mailbox walk is reading.
#pragma once

#include <string>

struct MessageValues {
  std::string date;
  std::string from;
  std::string subject = "(no subject)";
  std::string message_id;
  std::string parent_id;
  bool duplicate = false;   // its id replaced an earlier entry
  std::string reused_page;  // that entry's page file name
};
