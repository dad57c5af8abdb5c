// The saved attachments of a message, as the mailbox walk collects them and
// its page links them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// [0] is a placeholder; a list without names may be empty instead. During
// the mailbox walk a file is saved on the page writer's thread, which fills
// in its name there before it renders the page that links it; until the walk
// ends a name is read on that thread only.
using AttachList = std::vector<std::shared_ptr<std::string>>;

// The placeholder alone, with room for files names after it; for no files
// an empty list, which holds no name either and costs no memory. The
// placeholder is one empty string that every such list shares (nothing
// reads it).
inline AttachList placeholder_list(std::size_t files) {
  static const std::shared_ptr<std::string> placeholder = std::make_shared<std::string>();
  AttachList list;
  if (files == 0) return list;
  list.reserve(files + 1);
  list.push_back(placeholder);
  return list;
}

inline AttachList attach_list(const std::vector<std::string>& names) {
  AttachList list;
  for (const std::string& name : names) list.push_back(std::make_shared<std::string>(name));
  return list;
}
