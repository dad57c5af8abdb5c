// index.html and the placeholder page m0000000.txt.
#pragma once

#include <string>

struct Workspace;

bool Make_Index(Workspace& ws, const std::string& folder);
