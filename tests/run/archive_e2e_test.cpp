// The built program run over the sample mailboxes; every file it writes is
// compared byte for byte with the reviewed files under tests/run/expected.
// VORN_UPDATE_EXPECTED=1 rewrites those files instead (review the diff).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kSource = VORN_SOURCE_DIR;
const std::string kSamples = kSource + "/samples";

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Replaces the value of key in an ini text (Shift_JIS, CR LF).
std::string with_key(std::string ini, const std::string& key, const std::string& value) {
  std::size_t p = ini.find("\r\n" + key + "=");
  if (p == std::string::npos) return ini;
  std::size_t e = ini.find("\r\n", p + 2);
  return ini.replace(p + 2, e - p - 2, key + "=" + value);
}

class Program {
 public:
  explicit Program(const TempDir& t) : dir_(t / "prog") {
    fs::create_directories(dir_);
    fs::copy_file(VORN_BINARY, dir_ + "/vorn_htm");
  }
  void settings(const std::string& ini) const { std::ofstream(dir_ + "/vorn_htm.ini", std::ios::binary) << ini; }
  void run(const std::string& args) const {
    std::string err = dir_ + "/stderr";
    int rc = std::system(("'" + dir_ + "/vorn_htm' " + args + " 2>'" + err + "' </dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << args << "\n" << slurp(err);
    EXPECT_EQ(slurp(err), "") << args;
  }

 private:
  std::string dir_;
};

void compare_with_expected(const std::string& out, const std::string& name) {
  const fs::path expected = kSource + "/tests/run/expected/" + name;
  if (std::getenv("VORN_UPDATE_EXPECTED")) {
    fs::remove_all(expected);
    fs::create_directories(expected);
    for (const auto& e : fs::directory_iterator(out))
      if (e.path().filename().string()[0] != '.') fs::copy_file(e.path(), expected / e.path().filename());
    return;
  }
  // The published files; the hidden state of the archive is checked elsewhere.
  std::set<std::string> got, want;
  for (const auto& e : fs::directory_iterator(out))
    if (e.path().filename().string()[0] != '.') got.insert(e.path().filename().string());
  for (const auto& e : fs::directory_iterator(expected)) want.insert(e.path().filename().string());
  EXPECT_EQ(got, want);
  for (const std::string& f : want) {
    if (!got.count(f)) continue;
    SCOPED_TRACE(f);
    EXPECT_EQ(slurp(fs::path(out) / f), slurp(expected / f));
  }
}

TEST(ArchiveEndToEnd, RunDefaultsThreeRunsIntoOneArchive) {
  TempDir t;
  Program p(t);
  const std::string out = t / "archive";
  p.run("-i '" + kSamples + "/*.mbx' -o " + out + " -d y");
  p.run("-i " + kSamples + "/notes.txt -o " + out);
  p.run("-i " + kSamples + "/welcome.eml -o " + out);
  compare_with_expected(out, "defaults");
}

TEST(ArchiveEndToEnd, EverySwitchOnWithThreadListsAndRanking) {
  TempDir t;
  Program p(t);
  p.settings(slurp(kSamples + "/vorn_htm.ini"));
  const std::string out = t / "archive";
  p.run("-i '" + kSamples + "/*.mbx' -o " + out + " -d y");
  p.run("-i " + kSamples + "/notes.txt -o " + out);
  p.run("-i " + kSamples + "/welcome.eml -o " + out);
  compare_with_expected(out, "all_on");
}

TEST(ArchiveEndToEnd, AppendAfterNewColoursSizeAndThreadLists) {
  TempDir t;
  Program p(t);
  const std::string ini = slurp(kSamples + "/vorn_htm.ini");
  p.settings(with_key(ini, "KB_THRE", "0"));
  const std::string out = t / "archive";
  p.run("-i " + kSamples + "/ml-2004.mbx -o " + out);
  // The next night: other colours, a larger font, thread lists on; the new
  // messages reply into a thread of the first run.
  std::string changed = with_key(with_key(with_key(ini, "FT_SIZE", "3"), "REP_COL", "#FF0000"), "BGR_COL", "#FFFFEE");
  p.settings(changed);
  p.run("-i " + kSamples + "/attachments.mbx -o " + out);
  compare_with_expected(out, "restyled");
  // Once more with nothing new: every page stays as it is.
  std::map<std::string, std::string> before;
  for (const auto& e : fs::directory_iterator(out)) before[e.path().filename().string()] = slurp(e.path());
  p.run("-i " + t.write("empty.mbx", "") + " -o " + out);
  for (const auto& [name, bytes] : before) {
    if (name.rfind("m0", 0) == 0 && name.size() == 12 && name != "m0000000.txt") {
      SCOPED_TRACE(name);
      EXPECT_EQ(slurp(fs::path(out) / name), bytes);
    }
  }
}

}  // namespace
