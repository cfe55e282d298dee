#pragma once

#include <string>

namespace vesksim {

std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vesksim
