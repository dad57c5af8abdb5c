// The run workspace: the line lists and values that the steps of a
// conversion run hand to one another. One Workspace lives as long as the
// front end that runs conversions; a run empties what it uses before use.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/line_lists.h"
#include "core/line_store.h"
#include "core/run_ui.h"
#include "core/settings.h"
#include "core/text_lines.h"
#include "core/thread_keys.h"

struct Workspace {
  explicit Workspace(RunUi& ui) : ui(&ui) {}

  // Message index, one line per message (date TAB subject TAB sender TAB
  // message id TAB parent id TAB page TAB origin), in date order.
  WorkList work_list;
  // Thread keys, "Z" + 7 digits per tree level, with the position in
  // work_list of each message (thread_keys.h).
  ThreadKeys syo_list;
  SortedLines syo_list_w;
  // "count:sender" lines for the ranking page.
  SortedLines ml_count;
  // Lines of the message being converted, and of the mailbox being read.
  TextLines out_buf;
  LineStore lstData;

  Settings set;
  std::int64_t Mail_No = 0;  // highest page number used
  std::string Auto_Answer;   // "y" append, "n" rebuild, empty = ask
  std::string Step_Msg;      // file operation under way in Check_Dir
  std::string App_Dir;       // folder of the program, without a final "/"
  std::string Sample_Dir;    // where the settings screen writes its sample pages
  std::string Help_Dir;      // where the help pages are read from
  // Whether no Message-ID was held by two messages of work_list when it was
  // threaded.
  bool Ids_Unique = true;
  // The Message-IDs taken out of the archive for good (removed_messages.h):
  // a run loads them with the folder, skips messages that bring one, and
  // keeps their entries as notices.
  std::unordered_set<std::string> removed_ids;

  // What this run did, for the summary at its end; the run sets them to 0
  // when it starts. Messages whose Message-ID took over an earlier entry
  // count as replaced, all others as added; pages are the message pages
  // written.
  std::int64_t Mails_Added = 0;
  std::int64_t Mails_Replaced = 0;
  std::int64_t Pages_Written = 0;
  // Messages of the mailboxes left out because their Message-ID was removed.
  std::int64_t mails_skipped = 0;

  // Set when the run stopped because another run held the folder too long:
  // the command line then exits with 75 (try again later).
  bool Folder_Busy = false;

  RunUi* ui;

  void Syori_no(std::int64_t num, std::int64_t total) { ui->progress(RunUi::Label::Syori_no, num, total); }
  void Syosai_no(std::int64_t num, std::int64_t total) { ui->progress(RunUi::Label::Syosai_no, num, total); }

  // The error box of a step: "エラーが発生しました。(proc:number) 処理を中断します。",
  // followed by a line break and extra when extra is not empty; then both
  // progress labels are cleared.
  void report_error(std::string_view proc, int number, std::string_view extra = {});
  // The same for a caught exception: its number, then the step's own line
  // (when given) and the file concerned with the reason, each on a line.
  void report_error(std::string_view proc, const std::exception& e, std::string_view step = {});
};
