#include "core/workspace.h"

#include "core/vb_error.h"

void Workspace::report_error(std::string_view proc, int number, std::string_view extra) {
  std::string text = "エラーが発生しました。(";
  text.append(proc);
  text += ":" + std::to_string(number) + ") 処理を中断します。";
  if (!extra.empty()) {
    text += "\r\n";
    text.append(extra);
  }
  ui->message("エラー", text, RunUi::Icon::Critical);
  ui->clear_progress();
}

void Workspace::report_error(std::string_view proc, const std::exception& e, std::string_view step) {
  std::string extra(step);
  if (!extra.empty()) extra += "\r\n";
  extra += error_text(e);
  report_error(proc, vb_error_number(e), extra);
}
