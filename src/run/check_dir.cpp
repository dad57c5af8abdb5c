#include "run/check_dir.h"

#include <cerrno>
#include <exception>

#include "archive/menu_reader.h"
#include "archive/search_index.h"
#include "core/archive_files.h"
#include "core/file_info.h"
#include "core/file_write.h"
#include "core/folder_list.h"
#include "core/vb_error.h"
#include "core/workspace.h"
#include "run/folder_lock.h"
#include "run/history.h"

namespace {

void cancel_message(Workspace& ws, const std::string& why = {}) {
  ws.ui->message("情報", why.empty() ? "処理を中断します。" : "処理を中断します。\r\n" + why, RunUi::Icon::Information);
}

}  // namespace

bool lock_folder(Workspace& ws, FolderLock* lock, const std::string& folder) {
  if (!lock) return true;
  ws.Step_Msg = "Lock(" + folder + ")";
  if (!lock->acquire(folder, lock_wait(), [&ws, &folder] { ws.ui->waiting(folder); })) {
    ws.Folder_Busy = true;
    ws.report_error("Check_Dir", 75,
                    folder + ": 別の vorn_htm がこのフォルダで実行中のため、処理できません (locked by another run)");
    return false;
  }
  if (lock->may_hold_leftovers()) {
    remove_leftovers(folder);
    remove_search_leftovers(folder);
  }
  return true;
}

namespace {

// A rebuild deletes every ordinary file of the folder: only where an archive
// stands (or nothing at all), never in a folder of other files.
bool holds_archive(const std::string& folder) {
  return exists(join_path(folder, kMenuFile.name)) || exists(join_path(folder, kIndexFile.name));
}

void delete_files(Workspace& ws, const std::string& folder) {
  ws.Step_Msg = "Kill " + folder + "/*.*";
  // The search index first: it must never outlive the pages it finds.
  remove_search_index(folder);
  std::int64_t removed = 0;
  for (const std::string& name : list_files(folder)) {
    remove_file(join_path(folder, name));
    ws.ui->deleted(++removed);
  }
}

// What to do with the files already in folder: the command line's preset
// answer, or the user's.
RunUi::Answer existing_files_answer(Workspace& ws, const std::string& folder) {
  if (ws.Auto_Answer == "y") return RunUi::Answer::Yes;
  if (ws.Auto_Answer == "n") return RunUi::Answer::No;
  return ws.ui->ask("確認",
                    folder +
                        "配下に既にファイルが存在します。\r"
                        "[はい]：追加モードで処理を行う。\r"
                        "[いいえ]：ファイルを削除し、処理を行う。\r"
                        "[ｷｬﾝｾﾙ]：処理を中断する。",
                    RunUi::Icon::Question, RunUi::Buttons::YesNoCancel);
}

// The folder exists: lock it, then append to what is in it, or delete it
// for a rebuild, as answered. False when the run stops (reported).
bool take_folder(Workspace& ws, const std::string& folder, ArchiveRecords& records, FolderLock* lock) {
  if (!lock_folder(ws, lock, folder)) return false;
  if (!has_files(folder)) return true;
  const RunUi::Answer answer = existing_files_answer(ws, folder);
  if (answer == RunUi::Answer::Yes) {
    ws.Step_Msg = "Read_Menu(" + folder + ")";
    return Read_Menu(ws, records, folder);
  }
  if (answer != RunUi::Answer::No) {
    cancel_message(ws);
    return false;
  }
  if (!holds_archive(folder)) {
    ws.ui->message("エラー",
                   folder +
                       " にはアーカイブ (menu.html, index.html) がないため、ファイルを削除しません。\r\n"
                       "処理を中断します。",
                   RunUi::Icon::Critical);
    ws.ui->clear_progress();
    return false;
  }
  delete_files(ws, folder);
  return true;
}

// A file stands where the folder should be. The command line never
// replaces it; the window asks first. False when the run stops (reported).
bool replace_file_by_folder(Workspace& ws, const std::string& folder, FolderLock* lock) {
  RunUi::Answer answer = RunUi::Answer::Cancel;
  const bool command_line = ws.Auto_Answer == "y" || ws.Auto_Answer == "n";
  if (!command_line) {
    answer = ws.ui->ask("確認",
                        folder +
                            "配下にファイルを作成する為、\r"
                            "ファイル：" +
                            folder +
                            "を削除します。\r"
                            "よろしいですか？",
                        RunUi::Icon::Question, RunUi::Buttons::OkCancel);
  }
  if (answer != RunUi::Answer::Ok) {
    cancel_message(ws, command_line ? folder + ": フォルダではなくファイルです" : std::string());
    return false;
  }
  ws.Step_Msg = "Kill→MkDir(" + folder + ")";
  remove_file(folder);
  make_directory(folder);
  return lock_folder(ws, lock, folder);
}

}  // namespace

bool Check_Dir(Workspace& ws, const std::string& folder, ArchiveRecords& records, FolderLock* lock) {
  try {
    ws.Step_Msg = "GetAttr(" + folder + ") チェック中";
    if (!exists(folder)) throw VbError(53, folder + ": " + error_reason(ENOENT));
    const bool ready =
        is_directory(folder) ? take_folder(ws, folder, records, lock) : replace_file_by_folder(ws, folder, lock);
    if (!ready) return false;
    Make_HisFile(ws.App_Dir, folder);
    return true;
  } catch (const std::exception& e) {
    ws.report_error("Check_Dir", e, ws.Step_Msg);
  }
  return false;
}
