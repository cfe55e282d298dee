// The client's side of an exchange: fuzz bytes play everything the server
// sends back to one session of library calls (connect, queries, a device
// link, two reads, disconnect). A thread of this process accepts the
// connection on 127.0.0.1, writes the bytes and closes its sending side, so
// every input runs to its end at once and the same way each time. The first
// four bytes choose the call arguments; buffers have exactly the size the
// calls may fill, so AddressSanitizer sees any write past them.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fuzz_check.h"
#include "veskclient.h"

namespace {

struct listener {
    int socket = -1;
    std::string address;  // "127.0.0.1:PORT"
};

const listener &local_listener()
{
    static const listener made = [] {
        listener l;
        l.socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof where;
        require(l.socket >= 0 && bind(l.socket, reinterpret_cast<sockaddr *>(&where), size) == 0 &&
                    listen(l.socket, 4) == 0 &&
                    getsockname(l.socket, reinterpret_cast<sockaddr *>(&where), &size) == 0,
                "listening on 127.0.0.1");
        l.address = "127.0.0.1:" + std::to_string(ntohs(where.sin_port));
        return l;
    }();
    return made;
}

// Accepts one connection, sends the bytes, stops sending, then reads until
// the client hangs up. A client that never connects is given up after 5 s.
void serve(int listening, const uint8_t *bytes, size_t size)
{
    pollfd waiting{listening, POLLIN, 0};
    if (poll(&waiting, 1, 5000) != 1)
        return;
    int peer = accept(listening, nullptr, nullptr);
    if (peer < 0)
        return;
    // An abortive close leaves no TIME_WAIT behind, however many inputs run.
    linger abortive{1, 0};
    setsockopt(peer, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    for (size_t sent = 0; sent < size;) {
        ssize_t moved = send(peer, bytes + sent, size - sent, MSG_NOSIGNAL);
        if (moved <= 0)
            break;
        sent += static_cast<size_t>(moved);
    }
    shutdown(peer, SHUT_WR);
    char sink[4096];
    while (recv(peer, sink, sizeof sink, 0) > 0) {
    }
    close(peer);
}

void check_text(vesk_instance *instance, int32_t code)
{
    const char *text = vesk_errtext(instance);
    require(text != nullptr && std::strlen(text) <= 1023, "message text present and at most 1023 characters");
    require(vesk_returntext(instance, code) != nullptr, "every code has a text");
}

struct call_arguments {
    int32_t block_size;
    uint32_t channel_mask;
    uint32_t block_count;
    uint32_t link_length;
    uint32_t read_flags;
};

call_arguments arguments_from(const uint8_t *choice)
{
    call_arguments a;
    a.block_size = 16 + (choice[0] & 0x0F);
    a.channel_mask = choice[1];
    a.block_count = choice[2] & 0x0F;
    a.link_length = choice[3] & 0x3F;
    a.read_flags = (choice[3] & 0x40) ? VESK_INPUT_24BIT : 0;
    return a;
}

// One read into a buffer of exactly the requested blocks.
void read_once(vesk_instance *instance, const call_arguments &a)
{
    const size_t channels = static_cast<size_t>(std::popcount(a.channel_mask));
    std::vector<int32_t> buffer(std::max<size_t>(1, a.block_count * channels * static_cast<size_t>(a.block_size)));
    uint32_t count = a.block_count;
    uint32_t tag = 0;
    uint32_t sequence = 0;
    int32_t code = vesk_read_input(instance, a.channel_mask, buffer.data(), &count, a.read_flags, &tag, &sequence);
    check_text(instance, code);
    if (code == VESK_SUCCESS)
        require(count <= a.block_count, "no more blocks than asked");
    else if (code != VESK_INVALID_ARGUMENT)
        require(count == 0, "a failed read returns no blocks");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const listener &server = local_listener();
    const call_arguments a = arguments_from(data);
    std::thread peer(serve, server.socket, data + 4, size - 4);

    vesk_instance *instance = vesk_init(0, nullptr);
    require(instance != nullptr, "an instance");
    vesk_control(instance, VESK_CONTROL_BLOCK_SIZE, a.block_size);
    int32_t code = vesk_connect(instance, server.address.c_str());
    check_text(instance, code);
    if (code != VESK_SUCCESS) {
        // Nothing is left connected after a failed handshake.
        require(vesk_query(instance, VESK_QUERY_SETUP, nullptr, nullptr, nullptr, nullptr) == VESK_NOT_CONNECTED,
                "a failed connect leaves the instance not connected");
    }

    uint32_t values[4] = {};
    for (uint32_t query : {VESK_QUERY_SETUP, VESK_QUERY_CHANNELS}) {
        code = vesk_query(instance, query, &values[0], &values[1], &values[2], &values[3]);
        check_text(instance, code);
    }

    std::vector<uint8_t> command(a.link_length, 0x5A);
    std::vector<uint8_t> response(a.link_length);
    // Empty vectors may hold no storage; a link of length 0 still needs both pointers.
    uint8_t none[1] = {0x5A};
    code = vesk_link(instance, a.link_length ? command.data() : none, a.link_length,
                     a.link_length ? response.data() : none);
    check_text(instance, code);

    read_once(instance, a);
    read_once(instance, a);

    code = vesk_query(instance, VESK_QUERY_PLAYBACK, &values[0], nullptr, nullptr, nullptr);
    check_text(instance, code);

    require(vesk_connect(instance, nullptr) == VESK_SUCCESS, "disconnecting succeeds");
    vesk_shutdown(instance);
    peer.join();
    return 0;
}
