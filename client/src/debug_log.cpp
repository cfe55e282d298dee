// The debug log writer: no operation writes to it yet; it is where logging
// under the instance's debug mask attaches.
#include <cerrno>
#include <cstdio>

#include "instance.h"

void debug_internal(vesk_instance *instance, const char *format, va_list arguments) {
    int saved_errno = errno;
    char line[VESK_TEXT_SIZE];
    if (std::vsnprintf(line, sizeof line, format, arguments) < 0) line[0] = '\0';
    bool to_file = instance->log_path[0] != '\0';
    std::FILE *stream = to_file ? std::fopen(instance->log_path, "a") : stdout;
    if (stream != nullptr) {
        std::fputs(line, stream);
        std::fputs("\r\n", stream);
        if (to_file) std::fclose(stream);
    }
    errno = saved_errno;
}

void debug(vesk_instance *instance, const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    debug_internal(instance, format, arguments);
    va_end(arguments);
}
