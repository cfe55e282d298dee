/* A C program built against an installed veskclient: it stages a few blocks
 * on a server with the server loopback and checks that every captured block
 * comes back unchanged. Usage: consumer ipaddr:port */
#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <veskclient.h>

enum { BLOCK_SIZE = 32, DATA_BLOCKS = 5, DATA_TAG = 1 };

static int report(vesk_instance *client, const char *call, int32_t code)
{
    printf("consumer: %s: %s: %s\n", call, vesk_returntext(client, code), vesk_errtext(client));
    return 1;
}

#define TRY(call, expression)                          \
    do {                                               \
        int32_t code_ = (expression);                  \
        if (code_ != VESK_SUCCESS)                     \
            return report(client, call, code_);        \
    } while (0)

/* On Plenar-C3 hardware the codec must be running before output starts. */
static int32_t start_codec(vesk_instance *client)
{
    uint32_t word = 0, mask = 0;
    int32_t code = vesk_query(client, VESK_QUERY_SETUP, &word, &mask, NULL, NULL);
    if (code == VESK_SERVER_ERROR)
        return VESK_SUCCESS; /* older hardware: nothing to set */
    if (code != VESK_SUCCESS)
        return code;
    return vesk_control(client, VESK_CONTROL_HARDWARE_SETUP, (int32_t)((word & mask & ~0xFu) | 5u));
}

static int run(vesk_instance *client, const char *address)
{
    int32_t block[BLOCK_SIZE];
    for (int i = 0; i < BLOCK_SIZE; i++)
        block[i] = (int32_t)(0x01020304u * (uint32_t)(i + 1));
    const int32_t *channels[1] = { block };

    TRY("vesk_control (block size)", vesk_control(client, VESK_CONTROL_BLOCK_SIZE, BLOCK_SIZE));
    TRY("vesk_connect", vesk_connect(client, address));
    TRY("set-up", start_codec(client));
    TRY("vesk_control (rate)", vesk_control(client, VESK_CONTROL_SAMPLE_RATE, 48000));
    TRY("vesk_control (loopback)", vesk_control(client, VESK_CONTROL_LOOPBACK, VESK_LOOPBACK_SERVER));
    TRY("vesk_stage_output (reset)", vesk_stage_output(client, VESK_STAGE_RESET, 0, NULL, 0, 0));
    TRY("vesk_stage_output (data)",
        vesk_stage_output(client, VESK_STAGE_DATA, 1, channels, DATA_BLOCKS, DATA_TAG));
    TRY("vesk_control_output (start)", vesk_control_output(client, VESK_OUTPUT_START));

    int32_t captured[DATA_BLOCKS * BLOCK_SIZE];
    uint32_t received = 0;
    for (;;) {
        uint32_t count = DATA_BLOCKS, tag = 0, sequence = 0;
        int32_t code = vesk_read_input(client, 0x1, captured, &count, 0, &tag, &sequence);
        if (code == VESK_END_OF_STREAM)
            break;
        if (code != VESK_SUCCESS)
            return report(client, "vesk_read_input", code);
        if (count == 0) {
            nanosleep(&(struct timespec){ .tv_nsec = 10000000 }, NULL);
            continue;
        }
        for (uint32_t k = 0; k < count; k++) {
            if (tag != DATA_TAG || memcmp(captured + k * BLOCK_SIZE, block, sizeof block) != 0) {
                printf("consumer: block %u (tag %u) differs from the staged block\n",
                       (unsigned)(sequence + k), (unsigned)tag);
                return 1;
            }
        }
        received += count;
    }
    if (received != DATA_BLOCKS) {
        printf("consumer: %u blocks came back, not %d\n", (unsigned)received, DATA_BLOCKS);
        return 1;
    }
    printf("consumer: %d blocks read back unchanged (veskclient %d.%02d.%02d)\n", DATA_BLOCKS,
           VESKCLIENT_VERSION_MAJOR, VESKCLIENT_VERSION_MINOR, VESKCLIENT_VERSION_PATCH);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: consumer ipaddr:port\n");
        return 2;
    }
    vesk_instance *client = vesk_init(0, NULL);
    if (client == NULL) {
        printf("consumer: vesk_init: %s\n", vesk_errtext(NULL));
        return 1;
    }
    int status = run(client, argv[1]);
    vesk_connect(client, NULL);
    vesk_shutdown(client);
    return status;
}
