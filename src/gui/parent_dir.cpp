#include "gui/parent_dir.h"

std::string Parent_Dir(const std::string& open_folder) {
  std::string path = open_folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return path;
  if (slash == 0) return "/";
  return path.substr(0, slash);
}
