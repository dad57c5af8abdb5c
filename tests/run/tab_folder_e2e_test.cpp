// An output folder whose path holds a TAB. The message list keeps its fields
// apart with TABs, so a page path that carried the folder into a field would
// split there; the archive must come out as it does in a folder without one,
// through a rebuild, a restyling append and a second append.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/program_copy.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kSamples = std::string(VORN_SOURCE_DIR) + "/samples";

std::map<std::string, std::string> Published(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name[0] != '.') files[name] = ProgramCopy::slurp(e.path().string());
  }
  return files;
}

std::string With_Key(std::string ini, const std::string& key, const std::string& value) {
  const std::size_t p = ini.find("\r\n" + key + "=");
  if (p == std::string::npos) return ini;
  const std::size_t e = ini.find("\r\n", p + 2);
  return ini.replace(p + 2, e - p - 2, key + "=" + value);
}

TEST(TabInFolder, ArchiveIsTheSameAsWithoutTheTab) {
  TempDir t;
  const std::string ini = ProgramCopy::slurp(kSamples + "/vorn_htm.ini");
  ASSERT_FALSE(ini.empty());
  std::map<std::string, std::string> archives[2];
  const std::string folders[2] = {t / "with\ttab", t / "withtab"};
  for (int k = 0; k < 2; ++k) {
    SCOPED_TRACE(k == 0 ? "with a TAB" : "without");
    ProgramCopy p(t / ("prog" + std::to_string(k)));
    p.settings(ini);
    ProgramCopy::Result r = p.run({"-i", kSamples + "/*.mbx", "-o", folders[k], "-d", "y"});
    ASSERT_EQ(r.status, 0) << r.err;
    p.settings(With_Key(With_Key(ini, "FT_SIZE", "3"), "REP_COL", "#ff0000"));
    r = p.run({"-i", kSamples + "/notes.txt", "-o", folders[k]});
    ASSERT_EQ(r.status, 0) << r.err;
    r = p.run({"-i", kSamples + "/welcome.eml", "-o", folders[k]});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    archives[k] = Published(folders[k]);
    // The history keeps the folder whole, TAB and all.
    EXPECT_NE(ProgramCopy::slurp(p.dir() + "/vorn_htm.his").find(folders[k] + "\r\n"), std::string::npos);
  }
  ASSERT_GT(archives[1].size(), 10u);
  EXPECT_EQ(archives[0].size(), archives[1].size());
  for (const auto& [name, bytes] : archives[1]) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(archives[0].count(name));
    EXPECT_EQ(archives[0].at(name), bytes);
  }
}

}  // namespace
