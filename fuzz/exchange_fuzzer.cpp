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

// Listens on 127.0.0.1 once for all inputs; gives the socket and its "127.0.0.1:PORT".
int listening_socket(std::string &address) {
    static std::string port;
    static const int made = [] {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in where{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof where;
        require(s >= 0 && bind(s, reinterpret_cast<sockaddr *>(&where), size) == 0 && listen(s, 4) == 0 &&
                    getsockname(s, reinterpret_cast<sockaddr *>(&where), &size) == 0,
                "listening on 127.0.0.1");
        port = std::to_string(ntohs(where.sin_port));
        return s;
    }();
    address = "127.0.0.1:" + port;
    return made;
}

// Accepts one connection, sends the bytes, stops sending, then reads until
// the client hangs up. A client that never connects is given up after 5 s.
void serve(int listening, const uint8_t *bytes, size_t size) {
    pollfd waiting{listening, POLLIN, 0};
    int peer = poll(&waiting, 1, 5000) == 1 ? accept(listening, nullptr, nullptr) : -1;
    if (peer < 0) return;
    // An abortive close leaves no TIME_WAIT behind, however many inputs run.
    linger abortive{1, 0};
    setsockopt(peer, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    for (ssize_t moved = 0; size > 0 && (moved = send(peer, bytes, size, MSG_NOSIGNAL)) > 0;)
        bytes += moved, size -= static_cast<size_t>(moved);
    shutdown(peer, SHUT_WR);
    char sink[4096];
    while (recv(peer, sink, sizeof sink, 0) > 0) {}
    close(peer);
}

void check_text(vesk_instance *instance, int32_t code) {
    const char *text = vesk_errtext(instance);
    require(text != nullptr && std::strlen(text) <= 1023, "message text present and at most 1023 characters");
    require(vesk_returntext(instance, code) != nullptr, "every code has a text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 4) return 0;
    std::string address;
    std::thread peer(serve, listening_socket(address), data + 4, size - 4);
    const int32_t block_size = 16 + (data[0] & 0x0F);
    const uint32_t link_length = data[3] & 0x3F;

    vesk_instance *instance = vesk_init(0, nullptr);
    require(instance != nullptr, "an instance");
    vesk_control(instance, VESK_CONTROL_BLOCK_SIZE, block_size);
    int32_t code = vesk_connect(instance, address.c_str());
    check_text(instance, code);
    // Nothing is left connected after a failed handshake.
    require(code == VESK_SUCCESS ||
                vesk_query(instance, VESK_QUERY_SETUP, nullptr, nullptr, nullptr, nullptr) == VESK_NOT_CONNECTED,
            "a failed connect leaves the instance not connected");

    uint32_t values[4] = {};
    for (uint32_t query : {VESK_QUERY_SETUP, VESK_QUERY_CHANNELS})
        check_text(instance, vesk_query(instance, query, &values[0], &values[1], &values[2], &values[3]));

    // Exact sizes, so a write past them is found; a link of length 0 still needs both pointers.
    std::vector<uint8_t> command(std::max(link_length, 1u), 0x5A), response(std::max(link_length, 1u));
    check_text(instance, vesk_link(instance, command.data(), link_length, response.data()));

    // Two reads, each into a buffer of exactly the requested blocks.
    const uint32_t channel_mask = data[1], blocks = data[2] & 0x0F, flags = (data[3] & 0x40) ? VESK_INPUT_24BIT : 0;
    for (int read = 0; read < 2; ++read) {
        std::vector<int32_t> buffer(std::max<size_t>(1, blocks * size_t(std::popcount(channel_mask) * block_size)));
        uint32_t count = blocks, tag = 0, sequence = 0;
        code = vesk_read_input(instance, channel_mask, buffer.data(), &count, flags, &tag, &sequence);
        check_text(instance, code);
        require(code == VESK_INVALID_ARGUMENT || count <= (code == VESK_SUCCESS ? blocks : 0),
                "no more blocks than asked, and none from a failed read");
    }

    check_text(instance, vesk_query(instance, VESK_QUERY_PLAYBACK, &values[0], nullptr, nullptr, nullptr));

    require(vesk_connect(instance, nullptr) == VESK_SUCCESS, "disconnecting succeeds");
    vesk_shutdown(instance);
    peer.join();
    return 0;
}
