// The extension of a file that a message does not name: the program's own
// list, then the system's table of media types (/etc/mime.types, from
// Debian's media-types package, which scripts/packages.sh installs), then
// ".bin".
#include "mail/media_types.h"

#include <gtest/gtest.h>

#include <string>

#include "mail/part_text.h"
#include "support/temp_dir.h"

namespace {

TEST(MediaTypes, TableFormat) {
  const MediaTypes table = MediaTypes::parse(
      "# comment line\n"
      "#audio/commented\tcom\n"
      "audio/basic\t\t\t\t\tau snd\n"
      "text/richtext rtx\r\n"
      "application/no-extension\n"
      "application/no-extension\tnoext\n"
      "Application/Mixed-Case   MiX\n"
      "application/twice one\n"
      "application/twice two\n"
      "application/odd-first a/b ok\n"
      "application/last-line last");
  const struct {
    const char* type;
    const char* ext;
  } rows[] = {
      {"audio/basic", "au"},
      {"text/richtext", "rtx"},
      {"application/no-extension", "noext"},
      {"application/mixed-case", "mix"},
      {"application/twice", "one"},
      {"application/odd-first", "ok"},
      {"application/last-line", "last"},
      {"audio/commented", ""},
      {"#audio/commented", ""},
      {"image/unknown", ""},
      {"", ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.type);
    EXPECT_EQ(table.extension(r.type), r.ext);
  }
}

TEST(MediaTypes, UsualTypesWhereTheTableLacksThem) {
  TempDir dir;
  const MediaTypes missing = MediaTypes::read(dir / "none");
  const MediaTypes file = MediaTypes::read(dir.write("mime.types", "audio/basic snd au\nimage/x-vorn vrn\n"));
  const struct {
    const char* name;
    const MediaTypes& table;
    const char* type;
    const char* ext;
  } rows[] = {
      {"missing file, usual type", missing, "audio/basic", "au"},
      {"missing file, rich text", missing, "text/richtext", "rtx"},
      {"missing file, other type", missing, "image/x-vorn", ""},
      {"the file's first extension wins", file, "audio/basic", "snd"},
      {"a type only the file knows", file, "image/x-vorn", "vrn"},
      {"a usual type the file lacks", file, "text/richtext", "rtx"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.table.extension(r.type), r.ext);
  }
}

TEST(MediaTypes, UnnamedFileExtensions) {
  const struct {
    const char* type;
    const char* name;
  } rows[] = {
      // The program's own list keeps the names archives have always had,
      // also where the system's table lists another extension first.
      {"image/jpeg", "attach3.jpg"},
      {"text/plain", "attach3.txt"},
      {"message/rfc822", "attach3.eml"},
      // Types the list lacks come from the system's table.
      {"audio/basic", "attach3.au"},
      {"application/postscript", "attach3.ps"},
      {"application/vnd.oasis.opendocument.text", "attach3.odt"},
      // Debian's table lacks text/richtext: the usual types fill in.
      {"text/richtext", "attach3.rtx"},
      {"application/octet-stream", "attach3.bin"},
      // Types no table knows.
      {"application/x-vorn-unknown", "attach3.bin"},
      {"", "attach3.bin"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.type);
    EXPECT_EQ(unnamed_file(3, r.type), r.name);
  }
}

}  // namespace
