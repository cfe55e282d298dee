// Reading captured input blocks straight into the caller's buffer.
#include <bit>
#include <cstdint>

#include "byte_order.h"
#include "exchange.h"

extern "C" int32_t vesk_read_input(vesk_instance *instance, uint32_t channel_mask, int32_t *buffer,
                                   uint32_t *block_count, uint32_t flags, uint32_t *tag, uint32_t *sequence) {
    if (block_count == nullptr) return pre_return(instance, VESK_INVALID_ARGUMENT, "Must specify block count");
    if (*block_count == 0) return pre_return(instance, VESK_INVALID_ARGUMENT, "Must specify non-zero block count");
    if (buffer == nullptr) return pre_return(instance, VESK_INVALID_ARGUMENT, "Result buffer pointer cannot be NULL");
    if (channel_mask == 0)
        return pre_return(instance, VESK_INVALID_ARGUMENT, "Channel mask must select at least one channel");
    const uint32_t requested = *block_count;
    const uint32_t channels = static_cast<uint32_t>(std::popcount(channel_mask));
    const uint32_t block_size = static_cast<uint32_t>(instance->block_size);
    const uint64_t capacity = uint64_t{4} * block_size * channels * requested;
    if (capacity > UINT32_MAX)
        return pre_return(instance, VESK_INVALID_ARGUMENT,
                          "%u blocks of %u channels of %u samples need %llu bytes, more than "
                          "one read can carry",
                          requested, channels, block_size, static_cast<unsigned long long>(capacity));
    *block_count = 0;

    vesk_header request{};
    request.command = VESK_CMD_READ_INPUT;
    request.arg0 = channel_mask;
    request.arg1 = requested;
    request.arg2 = flags & VESK_INPUT_SERVER_BITS;
    vesk_header reply{};
    uint32_t received = static_cast<uint32_t>(capacity);
    int32_t result = issue(instance, request, nullptr, &reply, buffer, &received);
    // An ERROR reply with code 0 succeeds but carries no blocks, tag or
    // sequence: report none, and keep the server's text.
    if (result != VESK_SUCCESS || !header_received(reply)) return pre_return(instance, result, nullptr);

    const uint32_t block_bytes = 4 * block_size * channels;
    if (received % block_bytes != 0)
        return pre_return(instance, VESK_NETWORK_ERROR,
                          "Received %d bytes of data, which is not a multiple of %d x block size "
                          "(%d) x channels (%d)",
                          static_cast<int>(received), 4, static_cast<int>(block_size), static_cast<int>(channels));
    if (received == 0 && reply.val0 == 1)
        return pre_return(instance, VESK_END_OF_STREAM, "End-of-stream indication from server");

    const uint32_t blocks = received / block_bytes;
    *block_count = blocks;
    auto *words = reinterpret_cast<uint32_t *>(buffer);
    if (flags & VESK_INPUT_24BIT)
        wire::from_big_endian_24bit(words, received / 4);
    else
        wire::from_big_endian(words, received / 4);
    if (tag != nullptr) *tag = reply.val1;
    if (sequence != nullptr) *sequence = reply.val2;
    return pre_return(instance, VESK_SUCCESS, "Returned %d blocks (tag 0x%08X, sequence %d)", static_cast<int>(blocks),
                      reply.val1, static_cast<int>(reply.val2));
}
