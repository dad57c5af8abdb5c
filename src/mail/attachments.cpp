// The attachment collector.
//
// Lines reach it while the message is in attachment mode (a Content-Type line
// of an application, image or named text/html part has been seen). It reads,
// per line, in this order:
//   - a line holding "--" + the multipart boundary counts as an empty line;
//   - a line holding "name=" (any letter case) starts a new attachment: the
//     parameter value, quoted or bare (a bare one ends at ";"), decoded as an
//     encoded word, continued by following lines that hold an ISO-2022-JP
//     encoded word and are no header line;
//   - a line holding "content-transfer-encoding:" sets the encoding: base64,
//     x-uuencode, or another (whose data are ignored);
//   - between the first and the second empty line after the name, non-empty
//     lines not starting "begin " are data: Base64 lines are decoded whole;
//     a uuencoded line yields at most the byte count its first character
//     gives, and the closing lines ("`", a count of 0, or "end") end the data;
//   - at the second empty line the collected bytes, if any, are saved.
// A part that never reaches its second empty line produces no file; its data
// are dropped at the next "name=" line or when the collector is reset.
#include "mail/attachments.h"

#include <algorithm>

#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"
#include "mail/header_fields.h"
#include "run/workspace.h"

namespace {

// The value of the first "name=" parameter of a line.
std::string Name_Value(std::string_view line, std::size_t p) {
  std::string_view v = sjis::trim(line.substr(p + 5));
  if (!v.empty() && v[0] == '"') {
    v.remove_prefix(1);
    v = v.substr(0, sjis::find_char(v, '"'));
  } else {
    v = sjis::trim(v.substr(0, sjis::find_char(v, ';')));
  }
  return std::string(v);
}

void Uu_Data(AttachCollector& c, std::string_view line) {
  if (c.uu_ended) return;
  if (sjis::to_lower(sjis::trim(line)) == "end") {
    c.uu_ended = true;
    return;
  }
  const unsigned char count = static_cast<unsigned char>(line[0]);
  const int n = count == '`' ? 0 : count - 32;
  if (n == 0) {
    c.uu_ended = true;
    return;
  }
  if (n < 0 || line.size() < 2) return;
  const std::string bytes = UU_Line(line.substr(1));
  c.data.add_bytes(std::string_view(bytes).substr(0, static_cast<std::size_t>(n)));
}

}  // namespace

std::string AttachData::decode() const {
  std::string out;
  out.reserve(pieces_.bytes());
  for (std::size_t k = 0; k < pieces_.size(); ++k) {
    if (base64_[k])
      B64_Line_Append(pieces_[k], out);
    else
      out.append(pieces_[k]);
  }
  return out;
}

void Collect_Attach(Workspace& ws, AttachCollector& c, const std::string& boundary, const LineStore& lines,
                    std::size_t& i, const std::string& folder, AttachList& attach_list) {
  if (!ws.set.TE_FILE) return;
  std::string_view line = lines[i];
  if (!boundary.empty()) {
    if (c.marker.size() != boundary.size() + 2 || c.marker.compare(2, std::string::npos, boundary) != 0)
      c.marker = "--" + boundary;
    if (sjis::find(line, c.marker) != std::string_view::npos) line = {};
  }

  const std::size_t p = sjis::find_nocase(line, "name=");
  if (p != std::string_view::npos) {
    std::string name = Decode_Header(Name_Value(line, p));
    while (lines.has(i + 1) && sjis::find_nocase(lines[i + 1], "=?ISO-2022-JP?B?") != std::string::npos &&
           !Header_Check(lines[i + 1])) {
      ++i;
      name += sjis::trim(Decode_Header(lines[i]));
    }
    if (!name.empty() && name.back() == '"' && sjis::rfind_char(name, '"') == name.size() - 1) name.pop_back();
    c.name = std::move(name);
    c.data = {};
    c.blank_count = 0;
    c.encoding = 0;
    c.uu_ended = false;
  }

  const std::size_t q = sjis::find_nocase(line, "content-transfer-encoding:");
  if (q != std::string_view::npos) {
    const std::string value = sjis::to_lower(sjis::trim(line.substr(q + 26)));
    c.encoding = value == "base64" ? 1 : value == "x-uuencode" ? 2 : 9;
  }

  const bool blank = sjis::trim(line).empty();
  if (c.blank_count == 1 && !blank && !sjis::starts_with_nocase(line, "begin ")) {
    if (c.encoding == 1)
      c.data.add_base64_line(line);
    else if (c.encoding == 2)
      Uu_Data(c, line);
  }
  if (blank) ++c.blank_count;

  if (c.blank_count == 2 && !c.data.empty()) {
    auto name = std::make_shared<std::string>(c.name);
    attach_list.push_back(name);
    if (ws.page_writer) {
      const std::size_t size = c.data.encoded_size();
      ws.page_writer->run([folder, name, data = std::move(c.data)] { Save_Attach(folder, *name, data.decode()); },
                          size);
    } else {
      Save_Attach(folder, *name, c.data.decode());
    }
    c.data = {};
  }
}
