// The texts of -h and -v.
#pragma once

#include <string>

// The usage text, filled with the built-in defaults.
std::string usage_text();

// The two version lines; the first carries the build's date and time.
std::string version_text();
