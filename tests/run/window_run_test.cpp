#include "run/window_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/workspace.h"
#include "run/conversion.h"
#include "run/history.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Records the run-step label as the window would show it, every question,
// and what would be opened.
class RecordingUi : public SilentUi {
 public:
  void progress(Label label, std::int64_t num, std::int64_t total) override {
    const std::string text = "(" + std::to_string(num) + "／" + std::to_string(total) + ")";
    if (label == Label::Syori_no) {
      syori.push_back(text);
      syori_now = text;
    } else {
      syosai_now = text;
    }
  }
  void clear_progress() override { syori_now = syosai_now = ""; }
  void open(const std::string& path) override { opened.push_back(path); }

  std::vector<std::string> syori;
  std::string syori_now, syosai_now;
  std::vector<std::string> opened;
};

struct Fixture {
  TempDir app, out;
  RecordingUi ui;
  Workspace ws{ui};
  std::vector<std::string> samples{std::string(VORN_SOURCE_DIR) + "/samples/ml-2004.mbx",
                                   std::string(VORN_SOURCE_DIR) + "/samples/attachments.mbx"};
  explicit Fixture(const std::string& ini = "KB_THRE=0\r\nML_RANK=1\r\n") {
    ws.App_Dir = app.path();
    app.write("vorn_htm.ini", ini);
  }
};

TEST(WindowRun, TwoFilesStepThroughSixLabelsAskAndOpenTheIndex) {
  Fixture f;
  f.ui.answer = RunUi::Answer::Ok;
  ASSERT_TRUE(window_conversion(f.ws, f.out.path() + "/", f.samples));
  EXPECT_EQ(f.ui.syori,
            (std::vector<std::string>{"(1／6)", "(2／6)", "(3／6)", "(3／6)", "(4／6)", "(5／6)", "(6／6)"}));
  ASSERT_EQ(f.ui.messages.size(), 1u);
  // The folder is shown without the "/" it was typed with.
  EXPECT_EQ(f.ui.messages[0], "結果表示: ディレクトリ：" + f.out.path() +
                                  "配下に作成されました。\r"
                                  "起動方法は、上記ディレクトリにある index.html から起動してください。\r"
                                  "HTML一覧形式で表示してみますか？");
  EXPECT_EQ(f.ui.opened, (std::vector<std::string>{f.out.path() + "/index.html"}));
  EXPECT_TRUE(fs::exists(f.out / "rank_hyo.htm"));
  EXPECT_EQ(f.ui.syori_now, "");
  EXPECT_EQ(f.ui.syosai_now, "");
  EXPECT_EQ(read_his_file(f.app.path()), (std::vector<std::string>{f.out.path()}));
}

TEST(WindowRun, ThreadListsAddAStepAndCancelOpensNothing) {
  Fixture f("KB_THRE=1\r\nML_RANK=0\r\n");
  f.ui.answer = RunUi::Answer::Cancel;
  ASSERT_TRUE(window_conversion(f.ws, f.out.path(), {f.samples[0]}));
  EXPECT_EQ(f.ui.syori, (std::vector<std::string>{"(1／6)", "(2／6)", "(3／6)", "(4／6)", "(5／6)", "(6／6)"}));
  EXPECT_TRUE(f.ui.opened.empty());
  EXPECT_EQ(f.ui.syori_now, "");
}

TEST(WindowRun, NothingSelectedWarnsAndTouchesNothing) {
  Fixture f;
  const std::string folder = f.out.path() + "/new";
  EXPECT_FALSE(window_conversion(f.ws, folder, {}));
  EXPECT_EQ(f.ui.messages, (std::vector<std::string>{"警告: ファイルが選択されていません。"}));
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(fs::exists(f.app / "vorn_htm.his"));
}

TEST(WindowRun, AFileThatCannotBeReadStopsBeforeTheIndex) {
  Fixture f;
  f.ui.answer = RunUi::Answer::Ok;
  EXPECT_FALSE(window_conversion(f.ws, f.out.path(), {f.samples[0], f.out.path() + "/missing.mbx"}));
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].rfind("エラー: エラーが発生しました。(File_Syori:", 0), 0u) << f.ui.messages[0];
  EXPECT_FALSE(fs::exists(f.out / "index.html"));
  EXPECT_FALSE(fs::exists(f.out / "menu.html"));
  EXPECT_TRUE(f.ui.opened.empty());
}

TEST(WindowRun, FolderKeepsOneTrailingSlashOnlyOnTheRoot) {
  EXPECT_EQ(run_folder("/data/ml/"), "/data/ml");
  EXPECT_EQ(run_folder("/data/ml"), "/data/ml");
  EXPECT_EQ(run_folder("/"), "/");
  EXPECT_EQ(run_folder("/data//"), "/data/");
}

}  // namespace
