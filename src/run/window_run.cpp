#include "run/window_run.h"

#include <exception>

#include "core/workspace.h"
#include "run/conversion.h"
#include "run/removal.h"
#include "settings/settings_file.h"

namespace {

const char kRunName[] = "jik_btn_Click";

}  // namespace

std::string result_question(const std::string& folder) {
  return "ディレクトリ：" + folder +
         "配下に作成されました。\r"
         "起動方法は、上記ディレクトリにある index.html から起動してください。\r"
         "HTML一覧形式で表示してみますか？";
}

bool window_conversion(Workspace& ws, const std::string& typed_folder, const std::vector<std::string>& files) {
  try {
    Load_Ini(ws.set, ws.App_Dir);
  } catch (const std::exception& e) {
    // A fault of the run's own (a settings file it cannot read).
    ws.report_error(kRunName, e);
    return false;
  }
  const std::string folder = run_folder(typed_folder);
  if (files.empty()) {
    ws.ui->message("警告", "ファイルが選択されていません。", RunUi::Icon::Warning);
    return false;
  }
  if (!run_conversion(ws, folder, files, kRunName)) return false;
  if (ws.ui->ask("結果表示", result_question(folder), RunUi::Icon::Question, RunUi::Buttons::OkCancel) ==
      RunUi::Answer::Ok)
    ws.ui->open(folder == "/" ? "/index.html" : folder + "/index.html");
  ws.ui->clear_progress();
  return true;
}

bool window_removal(Workspace& ws, const std::string& typed_folder, const std::vector<std::string>& ids) {
  try {
    Load_Ini(ws.set, ws.App_Dir);
  } catch (const std::exception& e) {
    ws.report_error("m_sakujo_Click", e);
    return false;
  }
  const bool ok = remove_messages(ws, run_folder(typed_folder), ids);
  ws.ui->clear_progress();
  return ok;
}
