// write_search_page FOLDER: writes the search page and its script as the
// program builds them in (FOLDER/search.html, FOLDER/srch/find.js), so that
// the browser tests can open them over an index of their own.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>

#include "archive/search_assets.h"

namespace {

bool put(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: write_search_page FOLDER\n";
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  std::error_code ec;
  std::filesystem::create_directories(folder / "srch", ec);
  if (ec || !put(folder / "search.html", search_page_sjis()) || !put(folder / "srch" / "find.js", search_script())) {
    std::cerr << "write_search_page: cannot write into " << folder << "\n";
    return 1;
  }
  return 0;
}
