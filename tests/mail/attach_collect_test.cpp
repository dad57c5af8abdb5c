// The attachment collector line by line: data boundaries, uuencode counts and
// closing lines, name parameters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/attachments.h"
#include "run/file_ops.h"
#include "run/workspace.h"
#include "support/temp_dir.h"

namespace {

struct Collected {
  std::vector<std::string> names;  // without the leading placeholder
  std::size_t consumed = 0;        // lines the collector advanced over
};

Collected Collect(const std::vector<std::string>& lines, const std::string& boundary, const TempDir& dir,
                  bool te_file = true) {
  SilentUi ui;
  Workspace ws(ui);
  ws.set.TE_FILE = te_file;
  AttachCollector c;
  AttachList list = Attach_List({""});
  Collected out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t before = i;
    Collect_Attach(ws, c, boundary, lines, i, dir.path(), list);
    out.consumed += i - before;
  }
  for (std::size_t k = 1; k < list.size(); ++k) out.names.push_back(*list[k]);
  return out;
}

struct CollectCase {
  const char* what;
  std::vector<std::string> lines;
  std::string boundary;
  std::vector<std::pair<std::string, std::string>> files;  // name, bytes
};

const std::vector<CollectCase> kCollect = {
    {"base64 part ended by a boundary line",
     {"Content-Type: application/x; name=\"a.bin\"", "Content-Transfer-Encoding: base64", "", "QUJD", "REVG", "--B",
      "R0hJ", ""},
     "B",
     {{"a.bin", "ABCDEF"}}},
    {"boundary text without its dashes is data",
     {"name=a.bin", "content-transfer-encoding: BASE64", "", "QUJD", "QUJD", ""},
     "QUJD",
     {{"a.bin", "ABCABC"}}},
    {"bare name ends at its parameter separator",
     {"Content-Type: application/x; name=b.bin; x-mac-type=0", "Content-Transfer-Encoding: base64", "", "QUJD", ""},
     "",
     {{"b.bin", "ABC"}}},
    {"uuencoded lines cut to their count; closing lines end the data",
     // "#" promises 3 bytes of 6; "M" promises 45 but the line holds 3.
     {"name=u.txt", "Content-Transfer-Encoding: x-uuencode", "", "begin 644 u.txt", "#04)#1$5&", "M1$5&", "`", "end",
      "after end", ""},
     "",
     {{"u.txt", "ABCDEF"}}},
    {"a count of zero ends uuencoded data too",
     {"name=v.txt", "Content-Transfer-Encoding: x-uuencode", "", "#04)#", " 04)#", "#04)#", ""},
     "",
     {{"v.txt", "ABC"}}},
    {"control-character count and a lone count character",
     {"name=w.txt", "Content-Transfer-Encoding: x-uuencode", "",
      "\x01"
      "04)#",
      "#", "#04)#", ""},
     "",
     {{"w.txt", "ABC"}}},
    {"other encodings save nothing",
     {"name=q.txt", "Content-Transfer-Encoding: quoted-printable", "", "abc", ""},
     "",
     {}},
    {"a second blank line ends the data; later blank lines save nothing more",
     {"name=c.bin", "Content-Transfer-Encoding: base64", "", "QUJD", "", "QUJD", "", ""},
     "",
     {{"c.bin", "ABC"}}},
    {"a part without a name is saved as attach",
     {"Content-Transfer-Encoding: base64", "", "QUJD", ""},
     "",
     {{"attach", "ABC"}}},
    {"a name line restarts the part",
     {"name=old.bin", "Content-Transfer-Encoding: base64", "", "QUJD", "name=new.bin",
      "Content-Transfer-Encoding: base64", "", "REVG", ""},
     "",
     {{"new.bin", "DEF"}}},
};

}  // namespace

TEST(CollectAttach, DecodesAndSavesParts) {
  for (const CollectCase& c : kCollect) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const Collected got = Collect(c.lines, c.boundary, dir);
    std::vector<std::string> names;
    for (const auto& [name, bytes] : c.files) {
      names.push_back(name);
      EXPECT_EQ(dir.read(name), bytes) << name;
    }
    EXPECT_EQ(got.names, names);
    EXPECT_EQ(list_files(dir.path()).size(), names.size());
  }
}

TEST(CollectAttach, NameContinuesOverEncodedWordLines) {
  TempDir dir;
  // "ab" and "cd.txt" as ISO-2022-JP encoded words on two lines; a header
  // line with an encoded word does not continue the name.
  const std::vector<std::string> lines = {"Content-Type: application/x;",
                                          " name=\"=?ISO-2022-JP?B?YWI=?=",
                                          " =?iso-2022-jp?b?Y2QudHh0?=\"",
                                          "Subject: =?ISO-2022-JP?B?eHk=?=",
                                          "Content-Transfer-Encoding: base64",
                                          "",
                                          "QUJD",
                                          ""};
  const Collected got = Collect(lines, "", dir);
  EXPECT_EQ(got.names, std::vector<std::string>{"abcd.txt"});
  EXPECT_EQ(got.consumed, 1u);
}

TEST(CollectAttach, NothingWhenSavingIsOff) {
  TempDir dir;
  const Collected got =
      Collect({"name=\"=?ISO-2022-JP?B?YWI=?=", " =?ISO-2022-JP?B?Y2Q=?=", "", "QUJD", ""}, "", dir, false);
  EXPECT_TRUE(got.names.empty());
  EXPECT_EQ(got.consumed, 0u);
  EXPECT_TRUE(list_files(dir.path()).empty());
}
