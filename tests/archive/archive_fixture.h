// A workspace with the usual look settings and an output folder, for the
// tests of the archive writers and the menu reader.
#pragma once

#include <string>
#include <vector>

#include "archive/archive_records.h"
#include "codec/cp932.h"
#include "core/common_text.h"
#include "core/file_read.h"
#include "core/workspace.h"
#include "support/record_text.h"
#include "support/temp_dir.h"

struct ArchiveFixture {
  TempDir out;
  SilentUi ui;
  Workspace ws{ui};
  ArchiveRecords records;  // none from an earlier run

  ArchiveFixture() {
    Settings& s = ws.set;
    s.BGR_COL = "#ffffff";
    s.TXT_COL = "#000000";
    s.LNK_COL = "#0000ff";
    s.VLK_COL = "#800080";
    s.FT_SIZE = 2;
    s.REP_MRK = ">|";
    s.REP_COL = "#007f00";
    s.DAT_FMT = "yyyy-mm-dd hh:nn:ss";
    s.TITLE_D = sj("はじめまして,こんにちは,こんばんわ");
  }

  // A file of the output folder, line by line, in UTF-8.
  std::vector<std::string> lines(const std::string& name) const {
    std::vector<std::string> v = read_lines(out / name);
    for (std::string& l : v) l = cp932::to_utf8(l);
    return v;
  }
};

// A record from UTF-8 field texts (date, subject, sender, id, parent id,
// page, origin).
inline MessageRecord Work_Line(const std::vector<std::string>& utf8_fields) {
  std::string line;
  for (std::size_t i = 0; i < utf8_fields.size(); ++i) {
    if (i) line += '\t';
    line += sj(utf8_fields[i]);
  }
  return Record_Of(line);
}
