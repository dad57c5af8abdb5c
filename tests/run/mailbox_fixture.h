// Runs File_Syori on sample mailboxes into a fresh output folder, with the
// sink a run gives it, and reads back what it made: the work_list records
// and the written files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "core/file_info.h"
#include "core/file_write.h"
#include "core/folder_list.h"
#include "core/workspace.h"
#include "mail/header_fields.h"
#include "mail/mailbox.h"
#include "run/archive_sink.h"
#include "support/record_text.h"
#include "support/temp_dir.h"

struct MailboxRun {
  TempDir tmp;
  std::string out;
  SilentUi ui;
  Workspace ws{ui};
  ArchiveSink sink{ws, nullptr};

  MailboxRun() : out(tmp / "out") {
    make_directory(out);
    Settings& s = ws.set;
    s.BGR_COL = "#ffffff";
    s.TXT_COL = "#000000";
    s.LNK_COL = "#0000ff";
    s.VLK_COL = "#800080";
    s.REP_MRK = ">";
    s.REP_COL = "#007f00";
    s.DAT_FMT = "yyyy-mm-dd hh:nn:ss";
    s.KB_SUBJ = s.KB_FROM = s.KB_DATE = true;
  }

  static std::string data(const std::string& name) { return std::string(VORN_SOURCE_DIR) + "/tests/mail/data/" + name; }
  bool run(const std::string& path) { return File_Syori(ws, sink, out, path); }
  bool run_sample(const std::string& name) { return run(data(name)); }
  // A mailbox written for this test from the given bytes.
  bool run_bytes(const std::string& name, const std::string& bytes) { return run(tmp.write(name, bytes)); }

  // "subject TAB page file name" of every work_list line, in list order.
  std::vector<std::string> entries() const {
    std::vector<std::string> v;
    for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
      const MessageRecord& w = ws.work_list.at(i);
      v.push_back(cp932::to_utf8(std::string(w.subject())) + "\t" + std::string(w.page_name()));
    }
    return v;
  }
  // A file of the output folder in UTF-8 ("" when missing).
  std::string file(const std::string& name) const { return cp932::to_utf8(tmp.read("out/" + name)); }
  std::vector<std::string> files() const {
    std::vector<std::string> v = list_files(out);
    std::sort(v.begin(), v.end());
    return v;
  }

  // Every work_list line names a page in the output folder that exists, and
  // no two lines share a page.
  void expect_pages_exist() const {
    std::vector<std::string> pages;
    for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
      const std::string line = Record_Text(ws.work_list.at(i));
      const std::string path(ws.work_list.at(i).page());
      EXPECT_EQ(path.substr(0, out.size() + 1), out + "/") << line;
      EXPECT_TRUE(is_regular_file(path)) << line;
      pages.push_back(path);
    }
    std::sort(pages.begin(), pages.end());
    EXPECT_EQ(std::adjacent_find(pages.begin(), pages.end()), pages.end());
  }
};

inline bool Contains(const std::string& hay, const std::string& needle) {
  return hay.find(needle) != std::string::npos;
}
