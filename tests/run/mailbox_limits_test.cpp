// The walk has no fixed capacity and survives any input: long lines, many
// lines and messages, long blank runs, binary data.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/folder_list.h"
#include "mailbox_fixture.h"
#include "support/linear_work.h"

TEST(FileSyoriLimits, LineOfAMegabyte) {
  MailboxRun r;
  const std::string big(1 << 20, 'x');
  ASSERT_TRUE(r.run_bytes("long_line.mbx", "From: a@x\r\nSubject: " + big + "\r\n\r\n" + big + "\r\nend\r\n"));
  r.expect_pages_exist();
  // The body line whole, on a line of its own.
  const std::string page = r.file("m0000001.htm");
  const std::size_t end = page.find("\r\nend\r\n");
  ASSERT_NE(end, std::string::npos);
  ASSERT_GT(end, big.size());
  EXPECT_EQ(page.compare(end - big.size(), big.size(), big), 0);
  EXPECT_EQ(page[end - big.size() - 1], '\n');
}

TEST(FileSyoriLimits, ManyLinesAndMessages) {
  // 7,000 messages of five lines and a body of 40,000: far more lines than a
  // 16-bit index holds.
  std::string mbox;
  for (int k = 1; k <= 7000; ++k) mbox += "From: a@x\nSubject: s" + std::to_string(k) + "\n\nbody\n.\n";
  mbox += "From: last@x\nSubject: last\n\n";
  for (int k = 0; k < 40000; ++k) mbox += "line " + std::to_string(k) + "\n";
  MailboxRun r;
  ASSERT_TRUE(r.run_bytes("many_lines.mbx", mbox));
  EXPECT_EQ(r.ws.work_list.count(), 7001u);
  EXPECT_EQ(r.ws.Mail_No, 7001);
  EXPECT_TRUE(Contains(r.file("m0007001.htm"), "line 39999\r\n"));
  r.expect_pages_exist();
}

// A message or a line costs the walk as much however many came before it:
// its work grows linearly with the mailbox.
TEST(FileSyoriLimits, WorkGrowsLinearlyWithMessagesAndLines) {
  const auto mbox = [](std::size_t size) {
    std::string m;
    for (int k = 1; m.size() < size / 2; ++k) m += "From: a@x\nSubject: s" + std::to_string(k) + "\n\nbody\n.\n";
    m += "From: last@x\nSubject: last\n\n";
    for (int k = 0; m.size() < size; ++k) m += "line " + std::to_string(k) + "\n";
    return m;
  };
  LinearWork work(32768);
  work.add("messages, then one long body", [&mbox](std::size_t n) {
    auto counted = std::make_shared<MailboxRun>();
    const std::string path = counted->tmp.write("many_lines.mbx", mbox(n));
    return [counted, path] { counted->run(path); };
  });
  work.expect_linear();
}

TEST(FileSyoriLimits, LongRunsOfBlankLinesInAnAttachment) {
  std::string mbox =
      "From: a@x\r\nSubject: blanks\r\nContent-Type: application/octet-stream; name=b.bin\r\n"
      "Content-Transfer-Encoding: base64\r\n\r\nQUJD\r\n";
  for (int k = 0; k < 40000; ++k) mbox += "\r\n";
  mbox += "QUJD\r\n";
  MailboxRun r;
  ASSERT_TRUE(r.run_bytes("many_blanks.mbx", mbox));
  // Base64 skips what is no part of its alphabet, line ends and all.
  EXPECT_EQ(r.tmp.read("out/b.bin"), "ABCABC");
  EXPECT_EQ(r.files(), (std::vector<std::string>{"b.bin", "m0000001.htm"}));
}

TEST(FileSyoriLimits, RandomBytes) {
  MailboxRun r;
  EXPECT_TRUE(r.run_sample("binary_garbage.mbx")) << (r.ui.messages.empty() ? "" : r.ui.messages[0]);
  EXPECT_EQ(r.ws.work_list.count(), 1u);
  r.expect_pages_exist();
}

TEST(FileSyoriLimits, BinaryGarbageAndBrokenStructure) {
  // Random mixtures of the lines that drive the walk and the collector, and
  // of raw bytes (NUL, ESC, lone CR and LF, Shift_JIS lead bytes).
  const std::vector<std::string> vocabulary = {
      "From: a@x",
      "Subject: =?ISO-2022-JP?B?GyRCJEI",
      "Date: Mon, 1 Jan 2001 25:61:00 -1200",
      ".",
      "",
      "--------",
      "Message-ID: <dup@x>",
      "Message-ID: >broken<",
      "In-Reply-To: <p@x>",
      "References:",
      "Content-Type: multipart/mixed; boundary=",
      "Content-Type: multipart/mixed; boundary=\"B\"",
      "Content-Type: application/x; name=\"a/../b\"",
      "Content-Type: image/gif; name==?ISO-2022-JP?B?",
      "Content-Transfer-Encoding: base64",
      "Content-Transfer-Encoding: x-uuencode",
      "Content-Transfer-Encoding: quoted-printable",
      "begin 644 x",
      "M",
      "`",
      "end",
      "--B",
      "QUJD====",
      "M86)C9&5F9VAI:FML;6YO<'%R<W1U=G=X>7I!0D-$149'2$E*2TQ-3D]045)35%565UA96F%B8V1E",
      "soft=",
      "=",
      "\x1b$B$\"\x1b(B",
      "\x1b$(",
      "\x1bK",
      "name=\"index.html\"",
      "name=m0000001.htm"};
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::string mbox;
    for (int k = 0; k < 400; ++k) {
      if (rng() % 4 == 0) {
        const int n = static_cast<int>(rng() % 200);
        for (int b = 0; b < n; ++b) mbox += static_cast<char>(rng() % 256);
      } else {
        mbox += vocabulary[rng() % vocabulary.size()];
      }
      mbox += (rng() % 3 == 0) ? "\n" : "\r\n";
    }
    MailboxRun r;
    r.ws.set.TE_FILE = true;
    const bool ok = r.run_bytes("garbage.mbx", mbox);
    if (!ok) {
      // Only a reported error may end the walk; nothing crashes.
      ASSERT_EQ(r.ui.messages.size(), 1u);
      EXPECT_TRUE(Contains(r.ui.messages[0], "File_Syori:")) << r.ui.messages[0];
      continue;
    }
    r.expect_pages_exist();
    EXPECT_EQ(list_files(r.tmp.path()), std::vector<std::string>{"garbage.mbx"});
  }
}
