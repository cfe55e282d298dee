// vesk_connect: the TCP connection to the audio server and its handshake.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "exchange.h"

namespace {

// Closes the half-made connection; the arguments (system error texts) are
// taken before the close can change errno.
int32_t close_and_fail(vesk_instance *instance, const char *format, ...) VESK_PRINTF(2, 3);
int32_t close_and_fail(vesk_instance *instance, const char *format, ...) {
    disconnect(instance);
    va_list arguments;
    va_start(arguments, format);
    set_errtext_internal(instance->errtext, format, arguments);
    va_end(arguments);
    return VESK_NETWORK_ERROR;
}

struct server_address {
    bool valid;
    const char *problem;
    sockaddr_in socket_address;
};

// "ipaddr:port": a dotted IPv4 address (no host names) and a decimal port.
server_address parse_address(std::string_view text) {
    server_address result{false, nullptr, {}};
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon + 1 == text.size()) {
        result.problem = "TCP port must be specified";
        return result;
    }
    std::string host(text.substr(0, colon));
    in_addr_t ip = inet_addr(host.c_str());
    if (ip == INADDR_NONE) {
        result.problem = "IP address is not valid";
        return result;
    }
    std::string port_text(text.substr(colon + 1));
    long port = std::strtol(port_text.c_str(), nullptr, 10);
    if (port < 1 || port > 65535) {
        result.problem = "TCP port is not valid";
        return result;
    }
    result.valid = true;
    result.socket_address.sin_family = AF_INET;
    result.socket_address.sin_addr.s_addr = ip;
    result.socket_address.sin_port = htons(static_cast<uint16_t>(port));
    return result;
}

int32_t open_socket(vesk_instance *instance, const sockaddr_in &where) {
    instance->socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (instance->socket == -1)
        return pre_return(instance, VESK_NETWORK_ERROR, "Could not create socket: %s", last_errortext(instance));
    int flags = fcntl(instance->socket, F_GETFL);
    if (flags == -1) return close_and_fail(instance, "Could not get socket flags: %s", last_errortext(instance));
    if (fcntl(instance->socket, F_SETFL, flags | O_NONBLOCK) == -1)
        return close_and_fail(instance, "Could not set socket flags: %s", last_errortext(instance));
    int one = 1;
    if (setsockopt(instance->socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) == -1)
        return close_and_fail(instance, "Could not disable Nagle algorithm: %s", last_errortext(instance));

    if (connect(instance->socket, reinterpret_cast<const sockaddr *>(&where), sizeof where) == 0) return VESK_SUCCESS;
    if (last_error() != EINPROGRESS)
        return close_and_fail(instance, "Error connecting to audio device: %s", last_errortext(instance));

    switch (wait_until_ready(instance->socket, direction::sending, start_budget(instance->connect_timeout_ms))) {
    case readiness::failed:
        return close_and_fail(instance, "Error waiting for audio device to connect: %s", last_errortext(instance));
    case readiness::timed_out: return close_and_fail(instance, "Timed out attempting to connect to audio device");
    case readiness::exceptional:
        return close_and_fail(instance, "Error connecting to audio device: %s",
                              socket_errortext(instance, instance->socket));
    case readiness::ready: break;
    }
    int pending = 0;
    socklen_t size = sizeof pending;
    if (getsockopt(instance->socket, SOL_SOCKET, SO_ERROR, &pending, &size) == -1)
        return close_and_fail(instance, "Could not check SO_ERROR after connect");
    if (pending != 0)
        return close_and_fail(instance, "Error after connecting to audio device: %s", errortext(instance, pending));
    return VESK_SUCCESS;
}

}  // namespace

extern "C" int32_t vesk_connect(vesk_instance *instance, const char *address) {
    disconnect(instance);
    if (address == nullptr || address[0] == '\0') return pre_return(instance, VESK_SUCCESS, "Disconnected");
    if (instance->block_size == 0)
        return pre_return(instance, VESK_INVALID_ARGUMENT, "Must specify block size prior to connecting to a server");
    server_address where = parse_address(address);
    if (!where.valid) return pre_return(instance, VESK_INVALID_ARGUMENT, "%s", where.problem);

    int32_t code = open_socket(instance, where.socket_address);
    if (code != VESK_SUCCESS) return code;

    vesk_header request{};
    request.command = VESK_CMD_CONNECT;
    request.arg0 = VESK_PROTOCOL_VERSION;
    request.arg1 = static_cast<uint32_t>(instance->block_size);
    vesk_header reply{};
    code = issue(instance, request, nullptr, &reply, nullptr, nullptr);
    if (code != VESK_SUCCESS) disconnect(instance);
    // The text stays as the exchange left it: the server's, or the one before.
    return pre_return(instance, code, nullptr);
}
