// Attachment parts: collecting their lines, decoding them and saving them
// into the output folder.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "run/line_store.h"

struct Workspace;

// Reduces a decoded (Shift_JIS) attachment name to a plain file name that is
// safe to create in the output folder and to link from a page: no folder
// parts, drive, control characters or characters that break a link; never
// "." or ".."; "attach" when nothing is left.
std::string Plain_Attach_Name(const std::string& name);

// Saves data under folder: the name is first reduced by Plain_Attach_Name,
// the archive's own names get the prefix "t_", and a taken name gets the first
// free number before its extension. The file is created exclusively, so no
// existing file is ever replaced. name comes back as the name used (Shift_JIS,
// for the page's link); the file on disk is named by its UTF-8 form.
// Throws VbError when the file cannot be written.
void Save_Attach(const std::string& folder, std::string& name, const std::string& data);

// Collector state. The mailbox walk starts it afresh with every message, so an
// attachment that one message leaves unfinished never takes lines of the next.
struct AttachCollector {
  std::string name;
  int encoding = 0;  // 0 none, 1 Base64, 2 uuencode, 9 other
  long long blank_count = 0;
  std::string data;
  bool uu_ended = false;  // the uuencode closing lines have been seen
  std::string marker;     // "--" + the boundary it was made for
};

// Handles lines[i] in attachment mode (nothing when the setting TE_FILE is
// off); may advance i over continuation lines of a file name. A line holding
// "--" + boundary counts as a blank line (an empty boundary is none). Saved
// names are appended to attach_list.
void Collect_Attach(Workspace& ws, AttachCollector& c, const std::string& boundary, const LineStore& lines,
                    std::size_t& i, const std::string& folder, std::vector<std::string>& attach_list);
