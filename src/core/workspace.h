// The run workspace: the line lists and values that the steps of a
// conversion run hand to one another. One Workspace lives as long as the
// front end that runs conversions; a run empties what it uses before use.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/attach_list.h"
#include "core/line_lists.h"
#include "core/line_store.h"
#include "core/page_writer.h"
#include "core/run_ui.h"
#include "core/settings.h"
#include "core/text_lines.h"

// The archive's records that a run carries from step to step; the steps
// that make and read them know them, the workspace only holds them.
struct ArchiveState;
struct MenuIndex;
class OldArchive;
class FolderLock;

struct Workspace {
  explicit Workspace(RunUi& ui) : ui(&ui) {}

  // Message index, one line per message (date TAB subject TAB sender TAB
  // message id TAB parent id TAB page TAB origin), in date order.
  WorkList work_list;
  // Thread keys, "Z" + 7 digits per tree level, TAB, position in work_list.
  SortedLines syo_list;
  SortedLines syo_list_w;
  // Sender texts, and "count:sender" lines for the ranking page.
  SortedLines ml_work;
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
  // How the last finished run left the archive's pages, and how this run
  // leaves them; lets an append run skip pages that need no change.
  std::shared_ptr<const ArchiveState> Old_State;
  std::shared_ptr<ArchiveState> New_State;
  // The archive this run appends to, when the index of its menu stands in
  // for reading the menu whole; work_list then holds only the messages this
  // run threads (old_archive.h).
  std::shared_ptr<OldArchive> Old_Archive;
  // The index of the menu this run wrote, saved when the run has finished.
  std::shared_ptr<MenuIndex> New_Index;
  // Whether no Message-ID was held by two messages of work_list when it was
  // threaded.
  bool Ids_Unique = true;

  // What this run did, for the summary at its end; the run sets them to 0
  // when it starts. Messages whose Message-ID took over an earlier entry
  // count as replaced, all others as added; pages are the message pages
  // written.
  std::int64_t Mails_Added = 0;
  std::int64_t Mails_Replaced = 0;
  std::int64_t Pages_Written = 0;

  // The lock on the output folder that the run holds while it works there
  // (folder_lock.h); set by the run around its steps.
  FolderLock* Folder_Lock = nullptr;
  // Set when the run stopped because another run held the folder too long:
  // the command line then exits with 75 (try again later).
  bool Folder_Busy = false;

  RunUi* ui;
  // Where the mailbox walk hands each message's page (page path, subject,
  // date, sender, attachments); the run supplies the page writer. The walk
  // knows nothing of how a page looks.
  using PageSink = void (*)(Workspace& ws, const std::string& page_path, const std::string& subject,
                            const std::string& date, const std::string& sender, const AttachList& attachments);
  PageSink Page_Sink = nullptr;
  // While a mailbox is walked, its pages go to this writer; else they are
  // written on the spot.
  PageWriter* page_writer = nullptr;

  void Syori_no(std::int64_t num, std::int64_t total) { ui->progress(RunUi::Label::Syori_no, num, total); }
  void Syosai_no(std::int64_t num, std::int64_t total) { ui->progress(RunUi::Label::Syosai_no, num, total); }

  // The error box of a step: "エラーが発生しました。(proc:number) 処理を中断します。",
  // followed by a line break and extra when extra is not empty; then both
  // progress labels are cleared.
  void Report_Error(std::string_view proc, int number, std::string_view extra = {});
  // The same for a caught exception: its number, then the step's own line
  // (when given) and the file concerned with the reason, each on a line.
  void Report_Error(std::string_view proc, const std::exception& e, std::string_view step = {});
};
