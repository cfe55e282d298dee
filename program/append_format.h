// printf-style formatting onto the end of a string: the program's texts keep
// the exact forms they are printed in.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

inline void append_format_list(std::string &text, const char *format, va_list arguments)
{
    va_list measuring;
    va_copy(measuring, arguments);
    int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length <= 0)
        return;
    size_t start = text.size();
    text.resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data() + start, static_cast<size_t>(length) + 1, format, arguments);
    text.resize(start + static_cast<size_t>(length));
}

__attribute__((format(printf, 2, 3))) inline void append_format(std::string &text, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    append_format_list(text, format, arguments);
    va_end(arguments);
}
