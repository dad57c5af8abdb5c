#include "core/archive_files.h"

#include "core/atomic_out.h"

bool matches(const ArchiveFile& file, std::string_view name) {
  if (name.size() != file.name.size()) return false;
  for (std::size_t k = 0; k < name.size(); ++k) {
    const char want = file.name[k];
    if (want == '#' ? name[k] < '0' || name[k] > '9' : name[k] != want) return false;
  }
  return true;
}

bool is_page_name(std::string_view name) { return matches(kPageFiles, name); }

bool is_archive_file(std::string_view name) {
  for (const ArchiveFile& file : kArchiveFiles)
    if (matches(file, name)) return true;
  return false;
}

bool is_leftover(std::string_view name) {
  if (is_temp_name(name)) return true;
  // ".menu.html.Ab12Cd"
  if (name.size() < 9 || name[0] != '.' || !has_temp_suffix(name)) return false;
  const std::string_view target = name.substr(1, name.size() - 8);
  for (const ArchiveFile& file : kArchiveFiles)
    if (file.replaced_whole && matches(file, target)) return true;
  return false;
}
