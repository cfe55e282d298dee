// Files named on the command line that would overwrite each other: a
// capture file that is a playback file, two channels capturing to one file
// or one prefix, or a file among the per-block files of a -u prefix.
#pragma once

#include <string>

#include "run_settings.h"

// The line that refuses the first clash found, or empty when there is none.
// Looks at the files without opening them.
std::string file_clash(const run_settings &settings);
