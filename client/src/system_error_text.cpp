// Texts of system error numbers, kept in the instance so that a message can
// take them as an argument without sharing storage with the message itself.
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "instance.h"

namespace {

// strerror_r is the XSI one (int) or, where _GNU_SOURCE is in force as under
// g++, the GNU one (char *) that may return a static text instead of filling
// the buffer; both end up as the text in the buffer.
[[maybe_unused]] const char *filled_text(int result, char *buffer) {
    (void)result;  // a number without text still gets the platform's fallback text
    return buffer;
}

[[maybe_unused]] const char *filled_text(const char *result, char *buffer) {
    if (result != buffer) {
        std::strncpy(buffer, result, VESK_TEXT_SIZE - 1);
        buffer[VESK_TEXT_SIZE - 1] = '\0';
    }
    return buffer;
}

}  // namespace

int last_error() { return errno; }

const char *errortext(vesk_instance *instance, int error_number) {
    instance->syserrtext[0] = '\0';
    return filled_text(strerror_r(error_number, instance->syserrtext, VESK_TEXT_SIZE), instance->syserrtext);
}

const char *last_errortext(vesk_instance *instance) { return errortext(instance, last_error()); }

const char *socket_errortext(vesk_instance *instance, int socket) {
    int pending = 0;
    socklen_t size = sizeof pending;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &pending, &size) != 0) return "Unknown error (SO_ERROR unavailable)";
    return errortext(instance, pending);
}
