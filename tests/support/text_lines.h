// Program output as lines, for line-by-line comparison.
#pragma once

#include <string>
#include <vector>

// Text split at its newlines; a last line without one counts too.
std::vector<std::string> lines_of(const std::string &text);
