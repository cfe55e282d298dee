// printf-style formatting into strings, for texts that are made in one place
// and printed or sent in another, in exactly the forms printf gives.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

__attribute__((format(printf, 2, 0))) inline void append_format_list(std::string &text, const char *format,
                                                                     va_list arguments) {
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length <= 0) return;
    const std::size_t start = text.size();
    text.resize(start + static_cast<std::size_t>(length) + 1);
    std::vsnprintf(text.data() + start, static_cast<std::size_t>(length) + 1, format, arguments);
    text.resize(start + static_cast<std::size_t>(length));
}

__attribute__((format(printf, 2, 3))) inline void append_format(std::string &text, const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    append_format_list(text, format, arguments);
    va_end(arguments);
}

__attribute__((format(printf, 1, 2))) inline std::string format_text(const char *format, ...) {
    std::string text;
    va_list arguments;
    va_start(arguments, format);
    append_format_list(text, format, arguments);
    va_end(arguments);
    return text;
}
