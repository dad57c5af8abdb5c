// The settings file "vorn_htm.ini" in the program folder: Shift_JIS text,
// CR LF line ends; a line "KEY_XXX=value" sets a key (recognised by its first
// seven characters, case-sensitive; the last occurrence wins); every other
// line is ignored.
#pragma once

#include <string>

#include "core/settings.h"

// The run reader: the run default of every row of the settings table (but
// KB_THRE, which keeps its value), then the keys found in App_Dir +
// "/vorn_htm.ini" when it exists.
// Throws VbError when the file exists but cannot be read; its text names the
// settings file and the reason.
void Load_Ini(Settings& run, const std::string& App_Dir);

// Writes the default file (every row's new-file value) over whatever is there,
// through a temporary file renamed over the old one. Throws VbError.
void Ini_Make(const std::string& App_Dir);

// The keys, their lines and defaults: settings/settings_table.h; the settings
// screen's load and save: settings/ini_screen.h; the colour values of its
// samples: settings/color_conv.h.
