// The mailbox walk over a whole file: the input is the mailbox. Checks that
// the walk finishes, writes only into its output folder, and that every
// work_list line names a page of that folder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/workspace.h"
#include "fuzz/scratch_dir.h"
#include "mail/mailbox.h"
#include "run/archive_sink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchDir scratch;
  scratch.clear();
  const std::string out = scratch.folder("out");
  const std::string mbx = scratch.write("in.mbx", std::string_view(reinterpret_cast<const char*>(data), size));

  SilentUi ui;
  Workspace ws(ui);
  ArchiveSink sink(ws, nullptr);
  Settings& s = ws.set;
  s.BGR_COL = "#ffffff";
  s.TXT_COL = "#000000";
  s.LNK_COL = "#0000ff";
  s.VLK_COL = "#800080";
  s.REP_MRK = ">|";
  s.REP_COL = "#007f00";
  s.DAT_FMT = "yyyy-mm-dd hh:nn:ss";
  s.KB_SUBJ = s.KB_FROM = s.KB_DATE = s.KB_TOTO = true;
  s.TE_FILE = true;
  // Odd sizes also thread by subject, so both ways of linking are walked.
  s.S_TITLE = size % 2 == 1;

  File_Syori(ws, sink, out, mbx);

  // Nothing was made beside the output folder and the mailbox.
  const std::vector<std::string> names = scratch.names();
  FUZZ_CHECK(names.size() == 2 && names[0] == "in.mbx" && names[1] == "out");
  for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
    const std::string_view path = ws.work_list.at(i).page();
    FUZZ_CHECK(path.substr(0, out.size() + 1) == out + "/");
    FUZZ_CHECK(path.find('/', out.size() + 1) == std::string_view::npos);
  }
  return 0;
}
