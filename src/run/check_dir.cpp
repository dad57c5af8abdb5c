#include "run/check_dir.h"

#include <cerrno>
#include <exception>

#include "archive/menu_reader.h"
#include "run/file_ops.h"
#include "run/history.h"
#include "run/workspace.h"

namespace {

void cancel_message(Workspace& ws) { ws.ui->message("情報", "処理を中断します。", RunUi::Icon::Information); }

}  // namespace

bool Check_Dir(Workspace& ws, const std::string& folder) {
  try {
    ws.Step_Msg = "GetAttr(" + folder + ") チェック中";
    if (!exists(folder)) throw VbError(53, folder + ": " + error_reason(ENOENT));

    if (is_directory(folder)) {
      if (has_files(folder)) {
        RunUi::Answer answer;
        if (ws.Auto_Answer == "y") {
          answer = RunUi::Answer::Yes;
        } else if (ws.Auto_Answer == "n") {
          answer = RunUi::Answer::No;
        } else {
          answer = ws.ui->ask("確認",
                              folder +
                                  "配下に既にファイルが存在します。\r"
                                  "[はい]：追加モードで処理を行う。\r"
                                  "[いいえ]：ファイルを削除し、処理を行う。\r"
                                  "[ｷｬﾝｾﾙ]：処理を中断する。",
                              RunUi::Icon::Question, RunUi::Buttons::YesNoCancel);
        }
        if (answer == RunUi::Answer::Yes) {
          ws.Step_Msg = "Read_Menu(" + folder + ")";
          if (!Read_Menu(ws, folder)) return false;
        } else if (answer == RunUi::Answer::No) {
          ws.Step_Msg = "Kill " + folder + "/*.*";
          for (const std::string& name : list_files(folder)) remove_file(join_path(folder, name));
        } else {
          cancel_message(ws);
          return false;
        }
      }
    } else {
      // A file stands where the folder should be. The command line never
      // replaces it; the window asks first.
      RunUi::Answer answer = RunUi::Answer::Cancel;
      if (ws.Auto_Answer != "y" && ws.Auto_Answer != "n") {
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
        cancel_message(ws);
        return false;
      }
      ws.Step_Msg = "Kill→MkDir(" + folder + ")";
      remove_file(folder);
      make_directory(folder);
    }

    Make_HisFile(ws.App_Dir, folder);
    return true;
  } catch (const std::exception& e) {
    ws.Report_Error("Check_Dir", e, ws.Step_Msg);
  }
  return false;
}
