// The sink the run hands the mailbox walk: message pages go to the
// archive's page writer, and a re-sent message is looked for among the
// messages of the archive the run appends to.
#pragma once

#include <optional>
#include <string>

#include "mail/message_sink.h"

class OldArchive;
struct Workspace;

class ArchiveSink : public MessageSink {
 public:
  // old: the archive the run appends to through its menu index, or null.
  ArchiveSink(Workspace& ws, OldArchive* old) : ws_(ws), old_(old) {}

  std::optional<MessageRecord> take_earlier(const std::string& id) override;
  bool removed(const std::string& id) override;
  void page(PageWriter& writer, const std::string& page_path, const std::string& subject, const std::string& date,
            const std::string& sender, const AttachList& attachments) override;

 private:
  Workspace& ws_;
  OldArchive* old_;
};
