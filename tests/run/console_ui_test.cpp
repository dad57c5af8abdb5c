#include "run/console_ui.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string contents(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
  return s;
}

TEST(ConsoleUi, MessagesAsTitleAndTextLinesWithoutProgressWhenNotATerminal) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  {
    ConsoleUi ui(f);
    ui.progress(RunUi::Label::Syori_no, 1, 6);
    ui.progress(RunUi::Label::Syosai_no, 10, 200);
    ui.message("エラー", "a\r\nb\rc", RunUi::Icon::Critical);
    EXPECT_EQ(ui.ask("確認", "x", RunUi::Icon::Question, RunUi::Buttons::YesNoCancel), RunUi::Answer::Cancel);
    ui.warn("警告: w");
    ui.clear_progress();
  }
  EXPECT_EQ(contents(f), "エラー: a\nb\nc\n警告: w\n");
  std::fclose(f);
}

}  // namespace
