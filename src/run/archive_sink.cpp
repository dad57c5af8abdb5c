#include "run/archive_sink.h"

#include "archive/message_page.h"
#include "archive/old_archive.h"
#include "archive/search_collect.h"
#include "core/workspace.h"

std::optional<MessageRecord> ArchiveSink::take_earlier(const std::string& id) {
  if (!old_) return std::nullopt;
  return old_->take_by_id(ws_, id);
}

bool ArchiveSink::removed(const std::string& id) { return !id.empty() && ws_.removed_ids.count(id) != 0; }

void ArchiveSink::page(PageWriter& writer, std::string page_path, std::string subject, std::string date,
                       std::string sender, AttachList attachments) {
  if (search_) {
    const std::string_view path = page_path;
    const std::uint32_t page = search_page_number(path.substr(path.size() < 12 ? 0 : path.size() - 12));
    if (page != 0) search_->add(page, subject, sender, ws_.out_buf, attachments);
  }
  Make_Page(ws_, &writer, std::move(page_path), std::move(subject), std::move(date), std::move(sender),
            std::move(attachments));
}
