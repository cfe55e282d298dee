// Instances, return code texts and the formatting of the message text.
#include "instance.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <new>

int32_t active_instances = 0;

void set_errtext_internal(char *text, const char *format, va_list arguments) {
    if (format == nullptr) {
        std::snprintf(text, VESK_TEXT_SIZE, "%s", "No error");
        return;
    }
    int written = std::vsnprintf(text, VESK_TEXT_SIZE, format, arguments);
    if (written <= 0) std::snprintf(text, VESK_TEXT_SIZE, "%s", "Error description not available");
}

void set_errtext(vesk_instance *instance, const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    set_errtext_internal(instance->errtext, format, arguments);
    va_end(arguments);
}

int32_t pre_return(vesk_instance *instance, int32_t code, const char *format, ...) {
    if (format != nullptr && format != instance->errtext) {
        va_list arguments;
        va_start(arguments, format);
        set_errtext_internal(instance->errtext, format, arguments);
        va_end(arguments);
    }
    return code;
}

bool is_connected(const vesk_instance *instance) { return instance->socket != -1; }

void disconnect(vesk_instance *instance) {
    if (instance->socket == -1) return;
    close(instance->socket);
    instance->socket = -1;
}

extern "C" {

vesk_instance *vesk_init(uint32_t debug_mask, const char *log_path) {
    vesk_instance *instance = new (std::nothrow) vesk_instance{};
    if (instance == nullptr) return nullptr;
    if (log_path != nullptr) std::strncpy(instance->log_path, log_path, VESK_LOG_PATH_CHARS);
    instance->debug_mask = debug_mask;
    ++active_instances;
    instance->connect_timeout_ms = VESK_DEFAULT_TIMEOUT_MS;
    instance->progress_timeout_ms = VESK_DEFAULT_TIMEOUT_MS;
    instance->socket = -1;
    instance->block_size = 0;
    return instance;
}

void vesk_shutdown(vesk_instance *instance) {
    if (instance == nullptr) return;
    disconnect(instance);  // nothing could ever close it once the record is gone
    delete instance;
    --active_instances;
}

const char *vesk_errtext(vesk_instance *instance) {
    return instance == nullptr ? "NULL instance handle" : instance->errtext;
}

const char *vesk_returntext(vesk_instance *, int32_t code) {
    static const char *const texts[] = {
        "Success",
        "Not initialized",
        "Audio server state",
        "Network error",
        "Invalid argument",
        "Version mismatch",
        "End of stream",
        "Error from server",
        "Not connected",
        "Connected",
        "Audio subsystem powered down",
    };
    if (code > 0 || code < -10) return "Unrecognized return value";
    return texts[-code];
}

const char *vesk_loopbacktext(vesk_instance *, int32_t value, const char *fallback) {
    switch (value) {
    case VESK_LOOPBACK_NONE: return "none";
    case VESK_LOOPBACK_I2S: return "i2s (codec)";
    case VESK_LOOPBACK_SERVER: return "server";
    default: return fallback;
    }
}

void vesk_set_errtext(vesk_instance *instance, const char *format, ...) {
    if (instance == nullptr) return;
    va_list arguments;
    va_start(arguments, format);
    set_errtext_internal(instance->errtext, format, arguments);
    va_end(arguments);
}

}  // extern "C"
