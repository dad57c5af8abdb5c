// The folder above a folder, as the folder chooser climbs its tree.
#pragma once

#include <string>

// The path before the last "/" of open_folder: "/data/old" gives "/data",
// "/data" gives "/", and the root "/" is its own parent. Trailing "/" are
// dropped first ("/data/old/" gives "/data"); a path without any "/" (not
// one the chooser holds) comes back unchanged. Paths are UTF-8, whose
// multi-byte characters never hold the byte "/", so a byte search is exact.
std::string Parent_Dir(const std::string& open_folder);
