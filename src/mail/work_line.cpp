#include <string_view>

#include "codec/sjis_text.h"
#include "mail/header_fields.h"
#include "run/file_ops.h"

// A work_list line is seven fields joined by TAB; fields after the seventh
// (there are none in lines this program writes) are ignored.
WorkFields Split_Work_Line(const std::string& line) {
  std::string_view f[7];
  std::string_view rest = line;
  int n = 0;
  for (; n < 7; ++n) {
    const std::size_t tab = sjis::find_char(rest, '\t');
    f[n] = rest.substr(0, tab);
    if (tab == std::string_view::npos) {
      ++n;
      break;
    }
    rest = rest.substr(tab + 1);
  }
  if (n < 7) throw VbError(9, "work_list line with fewer than seven fields");

  WorkFields w;
  w.date = f[0];
  w.subject = f[1];
  w.sender.reserve(f[2].size());
  for (std::size_t i = 0; i < f[2].size();) {
    const std::size_t len = sjis::char_len(f[2], i);
    if (!(len == 1 && f[2][i] == '"')) w.sender.append(f[2].substr(i, len));
    i += len;
  }
  w.message_id = f[3];
  w.parent_id = f[4];
  w.page = sjis::right(f[5], 12);
  w.origin = f[6];
  return w;
}
