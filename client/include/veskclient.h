/*
 * veskclient: client library for the audio server of Plenar audio test
 * hardware. One instance holds one TCP connection to the server; every
 * exchange is a framed request followed by exactly one reply.
 *
 * Every operation that returns an int32_t returns VESK_SUCCESS (0) or one of
 * the negative codes below, and leaves a text in the instance that
 * vesk_errtext() returns. The library is single-threaded: use an instance
 * from one thread at a time.
 */
#ifndef VESKCLIENT_H
#define VESKCLIENT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VESKCLIENT_VERSION_MAJOR 2018
#define VESKCLIENT_VERSION_MINOR 3
#define VESKCLIENT_VERSION_PATCH 30

/* Return codes. A server refusal passes its own code through unchanged. */
#define VESK_SUCCESS 0
#define VESK_NOT_INITIALIZED (-1)
#define VESK_SERVER_STATE (-2)
#define VESK_NETWORK_ERROR (-3)
#define VESK_INVALID_ARGUMENT (-4)
#define VESK_VERSION_MISMATCH (-5)
#define VESK_END_OF_STREAM (-6)
#define VESK_SERVER_ERROR (-7)
#define VESK_NOT_CONNECTED (-8)
#define VESK_CONNECTED (-9)
#define VESK_POWERED_DOWN (-10)

/* Codes of vesk_control(): 1, 2 and 16 are kept in the instance, the others
 * go to the server. */
#define VESK_CONTROL_CONNECT_TIMEOUT 0x1u
#define VESK_CONTROL_PROGRESS_TIMEOUT 0x2u
#define VESK_CONTROL_SAMPLE_RATE 0x4u
#define VESK_CONTROL_LOOPBACK 0x8u
#define VESK_CONTROL_BLOCK_SIZE 0x10u
#define VESK_CONTROL_HARDWARE_SETUP 0x100u

/* Loopback values of VESK_CONTROL_LOOPBACK. */
#define VESK_LOOPBACK_NONE 0
#define VESK_LOOPBACK_I2S 1
#define VESK_LOOPBACK_SERVER 2

/* Block sizes, in samples per block. */
#define VESK_MIN_BLOCK_SIZE 16
#define VESK_MAX_BLOCK_SIZE 65536

/* Framing: every request and reply starts with a 28-byte header of seven
 * big-endian 32-bit words: magic, command (request) or status (reply),
 * four arguments or values, payload length. */
#define VESK_MAGIC 0x39FB443Du
#define VESK_HEADER_BYTES 28u
#define VESK_PROTOCOL_VERSION 0x00010000u

#define VESK_CMD_CONNECT 1u
#define VESK_CMD_CONTROL 2u
#define VESK_CMD_STAGE_OUTPUT 3u
#define VESK_CMD_CONTROL_OUTPUT 4u
#define VESK_CMD_READ_INPUT 5u
#define VESK_CMD_QUERY 6u
#define VESK_CMD_LINK 7u

#define VESK_STATUS_MESSAGE 0x80000001u
#define VESK_STATUS_ERROR 0x80000002u
#define VESK_STATUS_DATA 0x80000003u

/* Query codes of vesk_query(). */
#define VESK_QUERY_CHANNELS 1u
#define VESK_QUERY_PLAYBACK 2u
#define VESK_QUERY_SETUP 4u

/* Playback state (val0 of VESK_QUERY_PLAYBACK) once the codec has halted. */
#define VESK_PLAYBACK_HALTED 4u

/* Flags of vesk_stage_output(). */
#define VESK_STAGE_DATA 0x100u
#define VESK_STAGE_RAMP_UP 0x200u
#define VESK_STAGE_RAMP_DOWN 0x400u
#define VESK_STAGE_RESET 0x800u
#define VESK_STAGE_NO_CAPTURE 0x1000u
#define VESK_STAGE_LOOP_START 0x8000u

/* Values of vesk_control_output(). */
#define VESK_OUTPUT_START 0x10000u
#define VESK_OUTPUT_START_UNSYNCHRONIZED 0x400000u
#define VESK_OUTPUT_STOP 0x220000u

/* Flags of vesk_read_input(). */
#define VESK_INPUT_SERVER_BITS 0x3000000u
#define VESK_INPUT_24BIT 0x4000000u

typedef struct vesk_instance vesk_instance;

/* A new instance, not connected, without block size, with both time-outs at
 * 2000 ms and an empty text; null when it cannot be allocated. The debug mask
 * and log path (null or empty: standard output) are kept for debug logging. */
vesk_instance *vesk_init(uint32_t debug_mask, const char *log_path);
/* Closes the instance's connection, if any, and frees it (null allowed). */
void vesk_shutdown(vesk_instance *instance);
/* The text of the last operation, valid until the next one changes it;
 * "NULL instance handle" for a null handle. */
const char *vesk_errtext(vesk_instance *instance);
/* The text of a return code; the handle is not used and may be null. */
const char *vesk_returntext(vesk_instance *instance, int32_t code);
/* "none", "i2s (codec)" or "server" for the loopback values 0, 1, 2; for any
 * other value the fallback pointer itself. */
const char *vesk_loopbacktext(vesk_instance *instance, int32_t value, const char *fallback);
/* Sets the instance's text (at most 1023 characters); a null format gives
 * "No error", an empty result "Error description not available". */
void vesk_set_errtext(vesk_instance *instance, const char *format, ...)
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
/* One setting (VESK_CONTROL_*). Time-outs (milliseconds, 0 for no limit) can
 * be set at any time, the block size only while not connected; sample rate,
 * loopback and hardware set-up go to the server and need a connection, and
 * keep the text of the operation before unless the server sends one. */
int32_t vesk_control(vesk_instance *instance, uint32_t code, int32_t value);
/* Closes any connection, then connects to "ipaddr:port" and does the
 * handshake; a null or empty address only disconnects ("Disconnected"). The
 * block size must be set first. On failure the instance is not connected. */
int32_t vesk_connect(vesk_instance *instance, const char *address);
/* Asks the server for the four values of a VESK_QUERY_* code and stores them
 * through the non-null pointers. VESK_NOT_CONNECTED without a connection. */
int32_t vesk_query(vesk_instance *instance, uint32_t code, uint32_t *val0, uint32_t *val1, uint32_t *val2,
                   uint32_t *val3);
/* Passes length command bytes to the device and receives exactly length
 * response bytes; VESK_NETWORK_ERROR when fewer arrive. */
int32_t vesk_link(vesk_instance *instance, const uint8_t *command, uint32_t length, uint8_t *response);
/* Stages one segment of block_count blocks under a tag (VESK_STAGE_* flags).
 * With data flags, each non-null channels[n] below channel_count (at most 32)
 * is one block of samples for channel n; the blocks are only read. Leaves the
 * text alone on success. */
int32_t vesk_stage_output(vesk_instance *instance, uint32_t flags, uint32_t channel_count,
                          const int32_t *const *channels, uint32_t block_count, uint32_t tag);
/* Sends an output control value (VESK_OUTPUT_*); needs a block size. */
int32_t vesk_control_output(vesk_instance *instance, uint32_t value);
/* Reads up to *block_count captured blocks of the channels in channel_mask
 * into buffer (blocks x channels x block size samples, host order), then sets
 * *block_count to the number read (0 after a failure) and stores tag and
 * sequence where not null. VESK_END_OF_STREAM once the server has no more. */
int32_t vesk_read_input(vesk_instance *instance, uint32_t channel_mask, int32_t *buffer, uint32_t *block_count,
                        uint32_t flags, uint32_t *tag, uint32_t *sequence);

#ifdef __cplusplus
}
#endif

#endif
