// What the mailbox walk hands each message to. The run supplies it
// (run/archive_sink.h): the walk knows nothing of how a page looks or of the
// archive a run appends to.
#pragma once

#include <optional>
#include <string>

#include "core/attach_list.h"
#include "core/message_record.h"
#include "core/page_writer.h"
#include "core/run_journal.h"

class MessageSink {
 public:
  virtual ~MessageSink() = default;

  // The message of an earlier run whose Message-ID is id, taken out of the
  // archive the run appends to (a re-sent message replaces it and takes over
  // its page); nothing when there is none.
  virtual std::optional<MessageRecord> take_earlier(const std::string& id) = 0;

  // Whether a message with this Message-ID was taken out of the archive for
  // good: the walk then leaves it out altogether (no page, no files, no entry).
  virtual bool removed(const std::string& /*id*/) { return false; }

  // The page of a message: its body lines are the workspace's out_buf, which
  // the sink takes, as it takes the values; attachments[0] is a placeholder,
  // the saved names follow it (a message without files may have an empty
  // list). The page may be handed to writer, which reports a failure later.
  virtual void page(PageWriter& writer, std::string page_path, std::string subject, std::string date,
                    std::string sender, AttachList attachments) = 0;

  // The record of what the run writes that no menu lists yet, which the
  // attachment files saved for a page go into; null when the run keeps none.
  virtual RunJournal* journal() { return nullptr; }
};
