// The instance record and the one path through which every operation sets
// its code and text.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "veskclient.h"

enum : unsigned {
    VESK_TEXT_SIZE = 1024,  // 1023 characters and the terminating NUL
    VESK_LOG_PATH_CHARS = 4096,
    VESK_DEFAULT_TIMEOUT_MS = 2000,
};

struct vesk_instance {
    char errtext[VESK_TEXT_SIZE];     // text of the last operation
    char syserrtext[VESK_TEXT_SIZE];  // system error text, an argument for errtext
    uint32_t debug_mask;
    char log_path[VESK_LOG_PATH_CHARS + 1];  // empty: standard output
    uint32_t connect_timeout_ms;             // 0: no limit
    uint32_t progress_timeout_ms;            // 0: no limit
    int32_t block_size;                      // samples per block, 0 until set
    int32_t socket;                          // -1: not connected
};

extern int32_t active_instances;

#define VESK_PRINTF(format_index, first_argument) __attribute__((format(printf, format_index, first_argument)))

// A null format writes "No error"; an empty result "Error description not
// available"; longer output is cut at 1023 characters.
void set_errtext_internal(char *text, const char *format, va_list arguments) VESK_PRINTF(2, 0);
void set_errtext(vesk_instance *instance, const char *format, ...) VESK_PRINTF(2, 3);

// Sets the text unless the format is null or is the instance's own text, and
// returns the code unchanged.
int32_t pre_return(vesk_instance *instance, int32_t code, const char *format, ...) VESK_PRINTF(3, 4);

bool is_connected(const vesk_instance *instance);
// Closes the connection if there is one and marks the instance not connected.
void disconnect(vesk_instance *instance);

// System error texts, written into the instance's system-error text.
int last_error();
const char *errortext(vesk_instance *instance, int error_number);
const char *last_errortext(vesk_instance *instance);
const char *socket_errortext(vesk_instance *instance, int socket);

// One line of the debug log ("\r\n" ended); keeps errno, never reports.
void debug(vesk_instance *instance, const char *format, ...) VESK_PRINTF(2, 3);
void debug_internal(vesk_instance *instance, const char *format, va_list arguments) VESK_PRINTF(2, 0);
