// Checks that one of our quick message readers read a message exactly as
// the GMime reader does: every header value, text line and file.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "core/file_read.h"
#include "mail/mail_message.h"
#include "mail/mime_reader.h"
#include "support/temp_dir.h"

// A sample of tests/mail/data.
inline std::string Mail_Data(const std::string& name) {
  return std::string(VORN_SOURCE_DIR) + "/tests/mail/data/" + name;
}

inline void Expect_Same(const MailMessage& plain, const MailMessage& gmime) {
  const MailHeader &a = plain.header, &b = gmime.header;
  EXPECT_EQ(a.from, b.from);
  EXPECT_EQ(a.subject, b.subject);
  EXPECT_EQ(a.date, b.date);
  EXPECT_EQ(a.message_id, b.message_id);
  EXPECT_EQ(a.in_reply_to, b.in_reply_to);
  EXPECT_EQ(a.references, b.references);
  EXPECT_EQ(a.has_from, b.has_from);
  EXPECT_EQ(a.has_subject, b.has_subject);
  EXPECT_EQ(a.has_date, b.has_date);
  EXPECT_EQ(a.has_message_id, b.has_message_id);
  EXPECT_EQ(a.text_charset, b.text_charset);
  ASSERT_EQ(plain.text.size(), gmime.text.size());
  for (std::size_t i = 0; i < plain.text.size(); ++i) EXPECT_EQ(plain.text[i], gmime.text[i]) << "line " << i;
  ASSERT_EQ(plain.attachments.size(), gmime.attachments.size());
  for (std::size_t i = 0; i < plain.attachments.size(); ++i) {
    EXPECT_EQ(plain.attachments[i].name, gmime.attachments[i].name);
    EXPECT_EQ(plain.attachments[i].type, gmime.attachments[i].type);
    EXPECT_EQ(decoded_data(plain.attachments[i]), decoded_data(gmime.attachments[i]));
  }
}

using QuickReader = std::optional<MailMessage> (*)(std::string_view);

// Whether read takes raw; when it does, its reading is GMime's.
inline bool Taken_Alike(QuickReader read, const std::string& raw) {
  std::optional<MailMessage> quick = read(raw);
  if (quick) Expect_Same(*quick, read_message_with_gmime(raw));
  return quick.has_value();
}

// The samples of real mailers: whichever read takes, it reads as GMime
// does; it takes at least min_taken of them.
inline void Expect_Samples_Read_Alike(QuickReader read, int min_taken) {
  int taken = 0, samples = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Mail_Data("mime"))) {
    if (entry.path().extension() != ".eml") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++samples;
    taken += Taken_Alike(read, read_file(entry.path().string()));
  }
  EXPECT_GE(samples, 40);
  EXPECT_GE(taken, min_taken);
}
