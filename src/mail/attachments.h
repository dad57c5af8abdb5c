// Attachment parts: collecting their lines, decoding them and saving them
// into the output folder.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "run/attach_list.h"
#include "run/line_store.h"
#include "run/text_lines.h"

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
// The data of an attachment part in line order: Base64 lines as they stand
// (decoded when the file is saved, which may be on another thread) and bytes
// already decoded from uuencoded lines.
class AttachData {
 public:
  void add_base64_line(std::string_view line) {
    pieces_.push_back(line);
    base64_.push_back(true);
  }
  void add_bytes(std::string_view bytes) {
    if (bytes.empty()) return;
    pieces_.push_back(bytes);
    base64_.push_back(false);
  }
  // A Base64 line always decodes to at least one byte.
  bool empty() const { return pieces_.empty(); }
  std::size_t encoded_size() const { return pieces_.bytes(); }
  std::string decode() const;

 private:
  TextLines pieces_;
  std::vector<bool> base64_;
};

struct AttachCollector {
  std::string name;
  int encoding = 0;  // 0 none, 1 Base64, 2 uuencode, 9 other
  long long blank_count = 0;
  AttachData data;
  bool uu_ended = false;  // the uuencode closing lines have been seen
  std::string marker;     // "--" + the boundary it was made for
};

// Handles lines[i] in attachment mode (nothing when the setting TE_FILE is
// off); may advance i over continuation lines of a file name. A line holding
// "--" + boundary counts as a blank line (an empty boundary is none). Saved
// names are appended to attach_list. While ws.page_writer is set, the file is
// decoded and saved on its thread and reports its errors there.
void Collect_Attach(Workspace& ws, AttachCollector& c, const std::string& boundary, const LineStore& lines,
                    std::size_t& i, const std::string& folder, AttachList& attach_list);
