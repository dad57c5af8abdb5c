// Uuencoded files inside text and in x-uuencode parts: which lines make a
// block, and the bytes each data line stands for. The encoded lines are
// written out here as an encoder writes them (count character, then groups
// of four characters), never made with the decoder under test.
#include "mail/uu_blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// The 45 bytes of kFox and of kPack, and the 4 bytes "end.", as whole lines.
const std::string kFox = "The quick brown fox jumps over the lazy dog. ";
const std::string kPack = "Pack my box with five dozen liquor jugs. Yes!";
const std::string kFoxLine = R"uu(M5&AE('%U:6-K(&)R;W=N(&9O>"!J=6UP<R!O=F5R('1H92!L87IY(&1O9RX@)uu";
const std::string kPackLine = R"uu(M4&%C:R!M>2!B;W@@=VET:"!F:79E(&1O>F5N(&QI<75O<B!J=6=S+B!997,A)uu";
const std::string kEndDotLine = "$96YD+@``";

using Files = std::vector<std::pair<std::string, std::string>>;

TEST(UuBlocks, InlineBlocksLeaveTheText) {
  struct Row {
    const char* name;
    std::string text;
    Files files;
    std::string kept;
  } rows[] = {
      {"three-digit mode", "see\nbegin 644 a.txt\n#86)C\n`\nend\nafter\n", {{"a.txt", "abc"}}, "see\nafter\n"},
      {"four-digit mode", "see\nbegin 0644 a.txt\n#86)C\n`\nend\nafter\n", {{"a.txt", "abc"}}, "see\nafter\n"},
      {"four-digit mode, CR LF", "see\r\nbegin 0755 run.sh\r\n#86)C\r\n`\r\nend\r\n", {{"run.sh", "abc"}}, "see\r\n"},
      {"five digits make no begin line",
       "begin 00644 a.txt\n#86)C\n`\nend\n",
       {},
       "begin 00644 a.txt\n#86)C\n`\nend\n"},
      {"two whole lines and a short one",
       "begin 644 fox.txt\n" + kFoxLine + "\n" + kPackLine + "\n" + kEndDotLine + "\n`\nend\n",
       {{"fox.txt", kFox + kPack + "end."}},
       ""},
      // "M" promises 45 bytes; the 8 characters after it hold 6.
      {"count promises more than the line holds", "begin 644 a.txt\nM04)#1$5&\n`\nend\n", {{"a.txt", "ABCDEF"}}, ""},
      {"short last group holds its whole bytes", "begin 644 a.txt\nM04)#1$5\n`\nend\n", {{"a.txt", "ABCDE"}}, ""},
      {"debris after a whole line",
       "begin 644 fox.txt\n" + kFoxLine + "  \t\n" + kPackLine + "\n" + kEndDotLine + "\n`\nend\nbye\n",
       {{"fox.txt", kFox + kPack + "end."}},
       "bye\n"},
      {"checksum character and blanks",
       "begin 644 fox.txt\n" + kFoxLine + "W   \n" + kPackLine + "T\n`\nend\n",
       {{"fox.txt", kFox + kPack}},
       ""},
      // A quoted-printable soft break joined two data lines: no data line.
      {"two data lines run together",
       "begin 644 fox.txt\n" + kFoxLine + kPackLine + "\n`\nend\n",
       {},
       "begin 644 fox.txt\n" + kFoxLine + kPackLine + "\n`\nend\n"},
      {"end followed by blanks", "begin 644 a.txt\n#86)C\n`\nend  \nafter\n", {{"a.txt", "abc"}}, "after\n"},
      {"missing end: the block stops at text", "begin 644 a.txt\n#86)C\nthanks\n", {{"a.txt", "abc"}}, "thanks\n"},
      {"begin without data is text", "begin 644 a.txt\nthanks\n", {}, "begin 644 a.txt\nthanks\n"},
      {"begin inside a line starts no block",
       "say begin 644 a.txt\n#86)C\n`\nend\n",
       {},
       "say begin 644 a.txt\n#86)C\n`\nend\n"},
      {"a begin inside a line before a true one",
       "xbegin 644 a.txt\nbegin 644 b.txt\n#86)C\nend\nz",
       {{"b.txt", "abc"}},
       "xbegin 644 a.txt\nz"},
      {"two blocks, the text around them kept",
       "one\nbegin 644 a.txt\n#86)C\nend\ntwo\nthree\nbegin 644 b.txt\n#86)C\n`\nend\nfour",
       {{"a.txt", "abc"}, {"b.txt", "abc"}},
       "one\ntwo\nthree\nfour"},
      {"a false begin line between two blocks",
       "begin 644 a.txt\n#86)C\nend\nbegin 644 x.txt\nhello\nbegin 644 b.txt\n#86)C\nend\n",
       {{"a.txt", "abc"}, {"b.txt", "abc"}},
       "begin 644 x.txt\nhello\n"},
      {"a block at the end without a line end", "text\nbegin 644 a.txt\n#86)C", {{"a.txt", "abc"}}, "text\n"},
      // 45 bytes in 60 characters, then a line of 1 byte (count "!").
      {"a whole line then one byte",
       "begin 644 fox.txt\n" + kFoxLine + "\n!80``\nend\n",
       {{"fox.txt", kFox + "a"}},
       ""},
      // Converted text writes a "&" before "#" as "&#38;": "#&#)C" came as
      // "#&#38;#)C" and stands for the bytes 0x18 "2c".
      {"a & before # as converted text writes it",
       "begin 644 a.bin\n#&#38;#)C\n`\nend\n",
       {{"a.bin",
         "\x18"
         "2c"}},
       ""},
  };
  for (Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::string text = r.text;
    const std::vector<UuFile> files = take_uu_blocks(text);
    Files got;
    for (const UuFile& f : files) got.emplace_back(f.name, f.data);
    EXPECT_EQ(got, r.files);
    EXPECT_EQ(text, r.kept);
  }
}

// Lines that start "begin " are looked for sixteen bytes at a time: put one
// at every offset of such a window, after lines that start with "b" too.
TEST(UuBlocks, BeginLineAtEveryOffset) {
  const std::string block = "begin 644 a.txt\n#86)C\n`\nend\n";
  for (std::size_t k = 0; k < 40; ++k) {
    SCOPED_TRACE(k);
    const std::string before = std::string(k, 'x') + "\nbegun\nb\nbegin\n" + std::string(k % 7, 'y') + "\n";
    std::string text = before + block + "after";
    const std::vector<UuFile> files = take_uu_blocks(text);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, "a.txt");
    EXPECT_EQ(files[0].data, "abc");
    EXPECT_EQ(text, before + "after");
  }
}

TEST(UuBlocks, XUuencodePartBytes) {
  struct Row {
    const char* name;
    std::string raw;
    std::string bytes;
  } rows[] = {
      {"with begin and end", "begin 644 fox.txt\n" + kFoxLine + "\n`\nend\n", kFox},
      {"four-digit mode", "begin 0644 fox.txt\n" + kFoxLine + "\n`\nend\n", kFox},
      {"without begin: every line is data", kFoxLine + "\n" + kPackLine + "\n`\n", kFox + kPack},
      {"a line with debris does not end the data",
       "begin 644 fox.txt\n" + kFoxLine + "\t\n" + kPackLine + "\n" + kEndDotLine + "\n`\nend\n",
       kFox + kPack + "end."},
      {"count promises more than the line holds", "begin 644 a.txt\nM04)#1$5&\n`\nend\n", "ABCDEF"},
      // A part's bytes are no converted text: "&#38;" there is five characters.
      {"&#38; in a part is data as written", "begin 644 a.bin\n$&#38;#)C\n`\nend\n", "\x18\x34\xD8\x6C"},
      {"&#38; in a part without begin", "$&#38;#)C\n", "\x18\x34\xD8\x6C"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(uu_decode_part(r.raw), r.bytes);
  }
}

}  // namespace
