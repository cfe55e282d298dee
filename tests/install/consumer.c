/* A C program built against an installed veskclient: it stages a few blocks
 * on a server with the server loopback and checks that every captured block
 * comes back unchanged. Usage: consumer ipaddr:port */
#include <stdio.h>
#include <string.h>

#include <veskclient.h>

enum { BLOCK_SIZE = 32, DATA_BLOCKS = 5, DATA_TAG = 1 };

#define TRY(expression)                                                                           \
    do {                                                                                          \
        int32_t code_ = (expression);                                                             \
        if (code_ != VESK_SUCCESS) {                                                              \
            printf("consumer: %s: %s: %s\n", #expression, vesk_returntext(client, code_), vesk_errtext(client)); \
            return 1;                                                                             \
        }                                                                                         \
    } while (0)

static int run(vesk_instance *client, const char *address)
{
    int32_t block[BLOCK_SIZE], captured[DATA_BLOCKS * BLOCK_SIZE];
    for (int i = 0; i < BLOCK_SIZE; i++)
        block[i] = (int32_t)(0x01020304u * (uint32_t)(i + 1));
    const int32_t *channels[1] = { block };
    uint32_t word = 0, mask = 0, received = 0;

    TRY(vesk_control(client, VESK_CONTROL_BLOCK_SIZE, BLOCK_SIZE));
    TRY(vesk_connect(client, address));
    /* On Plenar-C3 hardware the codec must be running before output starts;
     * older hardware refuses the query and needs nothing. */
    int32_t setup_query = vesk_query(client, VESK_QUERY_SETUP, &word, &mask, NULL, NULL);
    if (setup_query != VESK_SERVER_ERROR) {
        TRY(setup_query);
        TRY(vesk_control(client, VESK_CONTROL_HARDWARE_SETUP, (int32_t)((word & mask & ~0xFu) | 5u)));
    }
    TRY(vesk_control(client, VESK_CONTROL_SAMPLE_RATE, 48000));
    TRY(vesk_control(client, VESK_CONTROL_LOOPBACK, VESK_LOOPBACK_SERVER));
    TRY(vesk_stage_output(client, VESK_STAGE_RESET, 0, NULL, 0, 0));
    TRY(vesk_stage_output(client, VESK_STAGE_DATA, 1, channels, DATA_BLOCKS, DATA_TAG));
    TRY(vesk_control_output(client, VESK_OUTPUT_START));

    for (;;) {
        uint32_t count = DATA_BLOCKS, tag = 0, sequence = 0;
        int32_t read = vesk_read_input(client, 0x1, captured, &count, 0, &tag, &sequence);
        if (read == VESK_END_OF_STREAM)
            break;
        TRY(read);
        for (uint32_t k = 0; k < count; k++, received++) {
            if (tag != DATA_TAG || memcmp(captured + k * BLOCK_SIZE, block, sizeof block) != 0) {
                printf("consumer: block %u (tag %u) differs from the staged block\n", (unsigned)(sequence + k), (unsigned)tag);
                return 1;
            }
        }
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
    vesk_instance *client = argc == 2 ? vesk_init(0, NULL) : NULL;
    if (client == NULL) {
        printf("consumer: %s\n", argc == 2 ? vesk_errtext(NULL) : "usage: consumer ipaddr:port");
        return argc == 2 ? 1 : 2;
    }
    int status = run(client, argv[1]);
    vesk_connect(client, NULL);
    vesk_shutdown(client);
    return status;
}
