#include "archive/index_page.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "core/workspace.h"
#include "support/temp_dir.h"

namespace {

// Records what the step shows: progress of both labels, clears and boxes.
class RecordingUi : public SilentUi {
 public:
  void progress(Label label, std::int64_t num, std::int64_t total) override {
    events.push_back((label == Label::Syosai_no ? "Syosai_no " : "Syori_no ") + std::to_string(num) + "/" +
                     std::to_string(total));
  }
  void clear_progress() override { events.push_back("clear"); }
  std::vector<std::string> events;
};

struct MakeIndex : ::testing::Test {
  TempDir out;
  RecordingUi ui;
  Workspace ws{ui};
  MakeIndex() {
    ws.set.FRM_KOU = true;
    ws.set.ITI_PER = "50";
  }
  std::size_t entries() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(out.path()), {}));
  }
};

const std::string kCharset = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">";

std::string Index_Html(const std::string& frameset) {
  return "<HTML>\r\n<HEAD>\r\n" + kCharset + "\r\n" + cp932::from_utf8("<TITLE>メール一覧</TITLE>") +
         "\r\n</HEAD>\r\n" + frameset +
         "\r\n    <FRAME SRC=\"menu.html\" name=\"frame1\">\r\n"
         "    <FRAME SRC=\"m0000000.txt\" name=\"frame2\">\r\n</FRAMESET>\r\n</HTML>\r\n";
}

const std::string kPlaceholder = "\r\n" + cp932::from_utf8("この部分にメール内容が表示されます。") + "\r\n";

TEST_F(MakeIndex, FrameLayouts) {
  struct Case {
    const char* name;
    bool frm_kou;
    const char* frameset;
  };
  const Case cases[] = {
      {"side by side", true, "<FRAMESET COLS=30%,*>"},
      {"menu above", false, "<FRAMESET ROWS=30%,*>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.events.clear();
    ws.set.FRM_KOU = c.frm_kou;
    ws.set.ITI_PER = "30";
    ASSERT_TRUE(Make_Index(ws, out.path()));
    const std::string page = out.read("index.html");
    EXPECT_EQ(page, Index_Html(c.frameset));
    // The character set line stands right after <HEAD>, as on every page.
    EXPECT_TRUE(page.starts_with("<HTML>\r\n<HEAD>\r\n" + kCharset + "\r\n")) << page;
    EXPECT_EQ(out.read("m0000000.txt"), kPlaceholder);
    EXPECT_EQ(ui.events, (std::vector<std::string>{"Syosai_no 0/100", "Syosai_no 100/100"}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(entries(), 2u) << "no temporary file is left behind";
  }
}

TEST_F(MakeIndex, ListWidthThatIsNoNumberFrom1To99GivesWayTo50) {
  struct Case {
    const char* iti_per;
    const char* share;
  };
  const Case cases[] = {
      {"1", "1"},     {"99.4", "99.4"}, {"7.2", "7.2"}, {" 30 ", "30"}, {"0.5", "50"},
      {"99.5", "50"}, {"150000", "50"}, {"", "50"},     {"abc", "50"},  {"30%,*><script>", "50"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("ITI_PER=") + c.iti_per);
    ws.set.ITI_PER = c.iti_per;
    ASSERT_TRUE(Make_Index(ws, out.path()));
    EXPECT_EQ(out.read("index.html"), Index_Html(std::string("<FRAMESET COLS=") + c.share + "%,*>"));
  }
}

TEST_F(MakeIndex, ExistingFilesAreReplacedWhole) {
  out.write("index.html", std::string(5000, 'x') + "\r\n");
  out.write("m0000000.txt", std::string(5000, 'y'));
  ::chmod((out / "index.html").c_str(), 0444);
  ASSERT_TRUE(Make_Index(ws, out.path()));
  EXPECT_EQ(out.read("index.html"), Index_Html("<FRAMESET COLS=50%,*>"));
  EXPECT_EQ(out.read("m0000000.txt"), kPlaceholder);
  EXPECT_EQ(entries(), 2u);
  // A second run writes the same files again.
  ASSERT_TRUE(Make_Index(ws, out.path()));
  EXPECT_EQ(out.read("index.html"), Index_Html("<FRAMESET COLS=50%,*>"));
  EXPECT_EQ(entries(), 2u);
}

TEST_F(MakeIndex, FailureIsReportedAndStopsTheRun) {
  struct Case {
    const char* name;
    std::string folder;
  };
  std::filesystem::create_directories(out / "blocked/index.html");
  const Case cases[] = {
      {"folder missing", out / "gone"},
      {"a folder in place of index.html", out / "blocked"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.events.clear();
    ui.messages.clear();
    EXPECT_FALSE(Make_Index(ws, c.folder));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].rfind("エラー: エラーが発生しました。(Make_Index:", 0), 0u) << ui.messages[0];
    EXPECT_NE(ui.messages[0].find(") 処理を中断します。"), std::string::npos);
    EXPECT_EQ(ui.events.back(), "clear");
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out / "blocked"), {}), 1);
}

}  // namespace
