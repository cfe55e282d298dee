#include "exchange.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace {

const char *word_for(direction way) { return way == direction::sending ? "sending" : "receiving"; }

int32_t move_bytes(vesk_instance *instance, direction way, int socket, char *buffer, std::size_t length,
                   const wait_budget &budget) {
    while (length > 0) {
        switch (wait_until_ready(socket, way, budget)) {
        case readiness::failed: {
            const char *why = last_errortext(instance);
            disconnect(instance);
            return pre_return(instance, VESK_NETWORK_ERROR, "Error waiting for audio device while %s data: %s",
                              word_for(way), why);
        }
        case readiness::timed_out:
            return pre_return(instance, VESK_NETWORK_ERROR, "Timed out %s network traffic", word_for(way));
        case readiness::exceptional: return pre_return(instance, VESK_NETWORK_ERROR, "Exceptional condition on socket");
        case readiness::ready: break;
        }
        ssize_t moved =
            way == direction::sending ? send(socket, buffer, length, MSG_NOSIGNAL) : recv(socket, buffer, length, 0);
        if (moved < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
            return pre_return(instance, VESK_NETWORK_ERROR, "Error %s network traffic: %s", word_for(way),
                              last_errortext(instance));
        }
        if (moved == 0) return pre_return(instance, VESK_NETWORK_ERROR, "Connection to audio device was closed");
        buffer += moved;
        length -= static_cast<std::size_t>(moved);
    }
    return VESK_SUCCESS;
}

// Reads and drops bytes that have no place to go, keeping the stream in step.
int32_t drop_bytes(vesk_instance *instance, std::size_t length, const wait_budget &budget) {
    char scratch[4096];
    int32_t code = VESK_SUCCESS;
    while (code == VESK_SUCCESS && length > 0) {
        std::size_t piece = std::min(length, sizeof scratch);
        code = move_bytes(instance, direction::receiving, instance->socket, scratch, piece, budget);
        length -= piece;
    }
    return code;
}

// The text of a MESSAGE or ERROR reply becomes the message text. Its length
// comes from the peer, so only the first 1023 characters are kept and the
// rest is dropped.
int32_t receive_server_text(vesk_instance *instance, uint32_t length) {
    if (length == 0) {
        set_errtext(instance, "%s", "Details not available");
        return VESK_SUCCESS;
    }
    char text[VESK_TEXT_SIZE];
    std::size_t kept = std::min<std::size_t>(length, VESK_TEXT_SIZE - 1);
    wait_budget budget = start_budget(instance->progress_timeout_ms);
    int32_t code = move_bytes(instance, direction::receiving, instance->socket, text, kept, budget);
    if (code == VESK_SUCCESS) code = drop_bytes(instance, length - kept, budget);
    if (code != VESK_SUCCESS) return code;
    text[kept] = '\0';
    set_errtext(instance, "%s", text);
    return VESK_SUCCESS;
}

int32_t closing(vesk_instance *instance, int32_t code) {
    disconnect(instance);
    return code;
}

}  // namespace

int32_t traffic(vesk_instance *instance, direction way, int socket, void *buffer, std::size_t length) {
    return move_bytes(instance, way, socket, static_cast<char *>(buffer), length,
                      start_budget(instance->progress_timeout_ms));
}

int32_t issue(vesk_instance *instance, const vesk_header &request, const void *payload, vesk_header *reply,
              void *reply_buffer, uint32_t *capacity) {
    if (!is_connected(instance)) return pre_return(instance, VESK_SERVER_STATE, "No connection to server");

    vesk_header sent = request;
    sent.magic = VESK_MAGIC;
    uint8_t head_bytes[wire::header_bytes];
    wire::encode_header(sent, head_bytes);
    int32_t code = traffic(instance, direction::sending, instance->socket, head_bytes, sizeof head_bytes);
    if (code == VESK_SUCCESS && request.length != 0)
        code = traffic(instance, direction::sending, instance->socket, const_cast<void *>(payload), request.length);
    if (code == VESK_SUCCESS)
        code = traffic(instance, direction::receiving, instance->socket, head_bytes, sizeof head_bytes);
    if (code != VESK_SUCCESS) return closing(instance, code);

    const vesk_header answer = wire::decode_header(head_bytes);
    if (answer.magic != VESK_MAGIC)
        return closing(instance,
                       pre_return(instance, VESK_NETWORK_ERROR, "Received corrupted response from audio device"));

    if (answer.status == VESK_STATUS_MESSAGE || answer.status == VESK_STATUS_ERROR) {
        // A text that cannot be received whole leaves the stream out of step.
        code = receive_server_text(instance, answer.length);
        if (code != VESK_SUCCESS) return closing(instance, code);
        if (answer.status == VESK_STATUS_ERROR) {
            // Nothing reached the caller's buffer, whatever the code.
            if (capacity != nullptr) *capacity = 0;
            return static_cast<int32_t>(answer.val0);
        }
    }
    if (reply != nullptr) *reply = answer;

    uint32_t received = 0;
    if (answer.status == VESK_STATUS_DATA && reply_buffer != nullptr && capacity != nullptr) {
        received = std::min(*capacity, answer.length);
        if (received != 0) {
            code = traffic(instance, direction::receiving, instance->socket, reply_buffer, received);
            if (code != VESK_SUCCESS) return closing(instance, code);
        }
    }
    // What the caller has no room for is dropped, so the next reply is read from its start.
    if (answer.status == VESK_STATUS_DATA && answer.length > received) {
        code = drop_bytes(instance, answer.length - received, start_budget(instance->progress_timeout_ms));
        if (code != VESK_SUCCESS) return closing(instance, code);
    }
    if (capacity != nullptr) *capacity = received;
    return VESK_SUCCESS;
}
