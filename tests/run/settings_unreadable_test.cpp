// A settings file that is there but cannot be read stops the run before
// anything is written, with a message that names the file and the reason.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/program_copy.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(SettingsUnreadable, TheRunStopsAndSaysWhichFileAndWhy) {
  TempDir t;
  ProgramCopy p(t / "prog");
  const std::string in = t.write("in/a.mbx", "From: a@example.com\r\nSubject: x\r\n\r\nbody\r\n");
  const std::string ini = p.dir() + "/vorn_htm.ini";
  struct Row {
    const char* name;
    bool needs_non_root;
    void (*make)(const std::string& ini);
    std::string why;
  } rows[] = {
      {"folder_in_its_place", false, [](const std::string& f) { fs::create_directory(f); },
       "(jidou_Jikkou:75) 処理を中断します。\n設定ファイルを読み込めません (cannot read the settings file): " + ini +
           ": フォルダです (Is a directory)\n"},
      {"no_read_permission", true,
       [](const std::string& f) {
         std::ofstream(f) << "ITI_PER=30\r\n";
         fs::permissions(f, fs::perms::none);
       },
       "(jidou_Jikkou:70) 処理を中断します。\n設定ファイルを読み込めません (cannot read the settings file): " + ini +
           ": アクセスが許可されていません (Permission denied)\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    if (r.needs_non_root && ::geteuid() == 0) continue;  // root reads any file
    fs::remove_all(ini);
    r.make(ini);
    const std::string out = t / (std::string("out_") + r.name);
    ProgramCopy::Result res = p.run({"-i", in, "-o", out});
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.err, "エラー: エラーが発生しました。" + r.why);
    EXPECT_FALSE(fs::exists(out)) << "nothing is made before the settings are read";
    EXPECT_FALSE(fs::exists(p.dir() + "/vorn_htm.his"));
  }
}

}  // namespace
