// The sink the run hands the mailbox walk: message pages go to the
// archive's page writer, and a re-sent message is looked for among the
// messages of the archive the run appends to.
#pragma once

#include <optional>
#include <string>

#include "mail/message_sink.h"

class OldArchive;
class SearchCollector;
struct Workspace;

class ArchiveSink : public MessageSink {
 public:
  // old: the archive the run appends to through its menu index, or null;
  // journal: the run's record of what it writes, or null; search: where the
  // words of each page go, or null.
  ArchiveSink(Workspace& ws, OldArchive* old, RunJournal* journal = nullptr, SearchCollector* search = nullptr)
      : ws_(ws), old_(old), journal_(journal), search_(search) {}

  std::optional<MessageRecord> take_earlier(const std::string& id) override;
  bool removed(const std::string& id) override;
  void page(PageWriter& writer, std::string page_path, std::string subject, std::string date, std::string sender,
            AttachList attachments) override;
  RunJournal* journal() override { return journal_; }

 private:
  Workspace& ws_;
  OldArchive* old_;
  RunJournal* journal_;
  SearchCollector* search_;
};
