/* A C program built as strict C11 against an installed veskclient (the
 * header must need nothing from C++): it stages a few blocks on a server with
 * the server loopback and checks that every captured block comes back
 * unchanged. Usage: consumer ipaddr:port */
#include <stdio.h>
#include <string.h>

#include <veskclient.h>

enum { BLOCK_SIZE = 32, DATA_BLOCKS = 5, DATA_TAG = 1 };

static int failed(vesk_instance *client, const char *call, int32_t code) {
    printf("consumer: %s: %s: %s\n", call, vesk_returntext(client, code), vesk_errtext(client));
    return 1;
}

#define TRY(call)                                                                                                      \
    do {                                                                                                               \
        int32_t code_ = (call);                                                                                        \
        if (code_ != VESK_SUCCESS) return failed(client, #call, code_);                                                \
    } while (0)

static int run(vesk_instance *client, const char *address) {
    int32_t block[BLOCK_SIZE], captured[DATA_BLOCKS * BLOCK_SIZE];
    for (int i = 0; i < BLOCK_SIZE; i++) block[i] = (int32_t)(0x01020304u * (uint32_t)(i + 1));
    const int32_t *channels[1] = {block};
    uint32_t received = 0;
    int32_t code;

    TRY(vesk_control(client, VESK_CONTROL_BLOCK_SIZE, BLOCK_SIZE));
    TRY(vesk_connect(client, address));
    TRY(vesk_control(client, VESK_CONTROL_SAMPLE_RATE, 48000));
    TRY(vesk_control(client, VESK_CONTROL_LOOPBACK, VESK_LOOPBACK_SERVER));
    TRY(vesk_stage_output(client, VESK_STAGE_RESET, 0, NULL, 0, 0));
    TRY(vesk_stage_output(client, VESK_STAGE_DATA, 1, channels, DATA_BLOCKS, DATA_TAG));
    TRY(vesk_control_output(client, VESK_OUTPUT_START));

    for (;;) {
        uint32_t count = DATA_BLOCKS, tag = 0, sequence = 0;
        if ((code = vesk_read_input(client, 0x1, captured, &count, 0, &tag, &sequence)) == VESK_END_OF_STREAM) break;
        if (code != VESK_SUCCESS) return failed(client, "vesk_read_input", code);
        for (uint32_t k = 0; k < count; k++, received++) {
            if (tag != DATA_TAG || memcmp(captured + k * BLOCK_SIZE, block, sizeof block) != 0) {
                printf("consumer: block %u (tag %u) differs from the staged block\n", (unsigned)(sequence + k),
                       (unsigned)tag);
                return 1;
            }
        }
    }
    printf("consumer: %u of %d blocks read back unchanged (veskclient %d.%02d.%02d)\n", (unsigned)received, DATA_BLOCKS,
           VESKCLIENT_VERSION_MAJOR, VESKCLIENT_VERSION_MINOR, VESKCLIENT_VERSION_PATCH);
    return received == DATA_BLOCKS ? 0 : 1;
}

int main(int argc, char **argv) {
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
