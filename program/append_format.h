// printf-style formatting onto the end of a string: the program's texts keep
// the exact forms they are printed in.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

__attribute__((format(printf, 2, 3))) inline void append_format(std::string &text, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list measuring;
    va_copy(measuring, arguments);
    int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length > 0) {
        size_t start = text.size();
        text.resize(start + static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data() + start, static_cast<size_t>(length) + 1, format, arguments);
        text.resize(start + static_cast<size_t>(length));
    }
    va_end(arguments);
}
