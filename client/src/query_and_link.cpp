// vesk_query and vesk_link: one exchange each, the answer handed back as it came.
#include "exchange.h"

extern "C" int32_t vesk_query(vesk_instance *instance, uint32_t code, uint32_t *val0, uint32_t *val1, uint32_t *val2,
                              uint32_t *val3) {
    if (!is_connected(instance))
        return pre_return(instance, VESK_NOT_CONNECTED, "Must be connected to server to issue queries");
    vesk_header request{};
    request.command = VESK_CMD_QUERY;
    request.arg0 = code;
    vesk_header reply{};
    int32_t result = issue(instance, request, nullptr, &reply, nullptr, nullptr);
    // An ERROR reply with code 0 succeeds without values: keep the server's text.
    if (result != VESK_SUCCESS || !header_received(reply)) return pre_return(instance, result, nullptr);

    uint32_t *const results[4] = {val0, val1, val2, val3};
    const uint32_t values[4] = {reply.val0, reply.val1, reply.val2, reply.val3};
    for (int i = 0; i < 4; ++i)
        if (results[i] != nullptr) *results[i] = values[i];
    return pre_return(instance, VESK_SUCCESS, "Query 0x%08X returned (0x%08X, 0x%08X, 0x%08X, 0x%08X)", code,
                      reply.val0, reply.val1, reply.val2, reply.val3);
}

extern "C" int32_t vesk_link(vesk_instance *instance, const uint8_t *command, uint32_t length, uint8_t *response) {
    if (command == nullptr)
        return pre_return(instance, VESK_INVALID_ARGUMENT, "Command buffer pointer cannot be NULL.");
    // An empty command has no first byte to look at.
    if (length != 0 && command[0] == 0)
        return pre_return(instance, VESK_INVALID_ARGUMENT, "First command byte must be non-zero.");
    if (response == nullptr)
        return pre_return(instance, VESK_INVALID_ARGUMENT, "Response buffer pointer cannot be NULL");

    vesk_header request{};
    request.command = VESK_CMD_LINK;
    request.length = length;
    vesk_header reply{};
    uint32_t received = length;
    int32_t result = issue(instance, request, command, &reply, response, &received);
    if (result != VESK_SUCCESS) return pre_return(instance, result, nullptr);
    if (received != length)
        return pre_return(instance, VESK_NETWORK_ERROR, "Received %d bytes of data, but expected %d bytes",
                          static_cast<int>(received), static_cast<int>(length));
    return pre_return(instance, VESK_SUCCESS, "Received %d-byte response", static_cast<int>(received));
}
