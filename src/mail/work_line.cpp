#include <string_view>

#include "codec/sjis_text.h"
#include "core/vb_error.h"
#include "mail/header_fields.h"

// A work_list line is seven fields joined by TAB; fields after the seventh
// (there are none in lines this program writes) are ignored.
WorkFieldViews Split_Work_Views(std::string_view line) {
  std::string_view f[7];
  std::string_view rest = line;
  int n = 0;
  for (; n < 7; ++n) {
    // TAB is never the second byte of a double-byte character.
    const std::size_t tab = rest.find('\t');
    f[n] = rest.substr(0, tab);
    if (tab == std::string_view::npos) {
      ++n;
      break;
    }
    rest = rest.substr(tab + 1);
  }
  if (n < 7) throw VbError(9, "work_list line with fewer than seven fields");
  return {f[0], f[1], f[2], f[3], f[4], f[5], f[6]};
}

WorkTail Split_Work_Tail(std::string_view line) {
  // TAB is never the second byte of a double-byte character.
  const std::size_t last = line.rfind('\t');
  const std::size_t before =
      last == std::string_view::npos || last == 0 ? std::string_view::npos : line.rfind('\t', last - 1);
  if (before == std::string_view::npos) throw VbError(9, "work_list line with fewer than three fields");
  return {line.substr(before + 1, last - before - 1), line.substr(last + 1)};
}

WorkFields Split_Work_Line(const std::string& line) {
  const WorkFieldViews v = Split_Work_Views(line);
  const std::string_view f[7] = {v.date, v.subject, v.sender, v.message_id, v.parent_id, v.page, v.origin};

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
