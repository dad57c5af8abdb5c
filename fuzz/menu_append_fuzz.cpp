// The menu reader, then a whole append run: the input is the menu.html of an
// existing archive. When the reader takes it, a run appends a small fixed
// mailbox to that archive. Checks that nothing is written beside the output
// folder and that every page the run lists lies in it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "archive/archive_records.h"
#include "archive/menu_reader.h"
#include "core/workspace.h"
#include "fuzz/scratch_dir.h"
#include "run/conversion.h"
#include "settings/settings_file.h"

namespace {

// Two messages of a dot-format mailbox: a reply to a message the seeds' menus
// hold, and a new thread.
constexpr std::string_view kMailbox =
    "Date: Mon, 02 Feb 2004 12:00:00 +0900\r\n"
    "From: A <a@x>\r\n"
    "Subject: Re: alpha\r\n"
    "Message-ID: <reply@x>\r\n"
    "In-Reply-To: <a@x>\r\n"
    "\r\n"
    "body\r\n"
    ".\r\n"
    "Date: Tue, 03 Feb 2004 12:00:00 +0900\r\n"
    "From: B <b@x>\r\n"
    "Subject: new\r\n"
    "Message-ID: <new@x>\r\n"
    "\r\n"
    "other body\r\n"
    ".\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchDir scratch;
  scratch.clear();
  const std::string app = scratch.folder("app");
  const std::string out = scratch.folder("out");
  const std::string mbx = scratch.write("app/in.mbx", kMailbox);
  scratch.write("out/menu.html", std::string_view(reinterpret_cast<const char*>(data), size));

  SilentUi ui;
  Workspace ws(ui);
  ws.App_Dir = app;
  Load_Ini(ws.set, ws.App_Dir);
  ws.Auto_Answer = "y";
  ArchiveRecords records;
  if (!Read_Menu(ws, records, out)) return 0;
  run_conversion(ws, out, {mbx}, "fuzz");

  const std::vector<std::string> names = scratch.names();
  FUZZ_CHECK(names.size() == 2 && names[0] == "app" && names[1] == "out");
  for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
    const std::string_view path = ws.work_list.at(i).page();
    if (path.find('/') != std::string_view::npos && path.substr(0, out.size() + 1) != out + "/")
      std::fprintf(stderr, "work_list record %zu: page %.*s\n", i, static_cast<int>(path.size()), path.data());
    FUZZ_CHECK(path.find('/') == std::string_view::npos || path.substr(0, out.size() + 1) == out + "/");
  }
  return 0;
}
