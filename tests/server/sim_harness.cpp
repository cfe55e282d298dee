#include "sim_harness.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

std::string temporary_directory() {
    char pattern[] = "/tmp/vesksim-test-XXXXXX";
    const char *made = mkdtemp(pattern);
    if (made == nullptr) throw std::runtime_error("mkdtemp failed");
    return made;
}

int wait_for(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(5ms);
    }
    return -2;  // still running
}

void put_be32(std::vector<uint8_t> &out, uint32_t word) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(word >> shift));
}

uint32_t get_be32(const uint8_t *p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool receive_all(int fd, uint8_t *into, size_t size) {
    while (size > 0) {
        const ssize_t got = recv(fd, into, size, 0);
        if (got <= 0) return false;
        into += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

}  // namespace

running_sim::running_sim(std::vector<std::string> options) {
    const char *binary = std::getenv("VESKSIM");
    if (binary == nullptr) throw std::runtime_error("VESKSIM is not set");
    port_file = temporary_directory() + "/port";
    std::vector<std::string> words = {binary, "--listen", "127.0.0.1:0", "--port-file", port_file};
    words.insert(words.end(), options.begin(), options.end());

    pid = fork();
    if (pid == 0) {
        std::vector<char *> argv;
        for (auto &word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        execv(binary, argv.data());
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline && port == 0) {
        std::ifstream file(port_file);
        unsigned value = 0;
        if (file >> value) port = static_cast<uint16_t>(value);
        else std::this_thread::sleep_for(5ms);
    }
}

running_sim::~running_sim() {
    if (pid > 0 && stop(SIGTERM) == -1 && pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    const auto directory = port_file.substr(0, port_file.rfind('/'));
    std::remove(port_file.c_str());
    rmdir(directory.c_str());
}

int running_sim::stop(int signal_number) {
    if (pid <= 0) return -1;
    kill(pid, signal_number);
    return wait_exit();
}

int running_sim::wait_exit() {
    const int status = wait_for(pid, 5s);
    if (status != -2) pid = -1;
    return status < 0 ? -1 : status;
}

std::string running_sim::address() const { return "127.0.0.1:" + std::to_string(port); }

void instance_closer::operator()(vesk_instance *instance) const {
    vesk_connect(instance, nullptr);
    vesk_shutdown(instance);
}

instance_ptr connect_client(const running_sim &sim, int32_t block_size, int32_t *result) {
    instance_ptr instance(vesk_init(0, nullptr));
    vesk_control(instance.get(), VESK_CONTROL_BLOCK_SIZE, block_size);
    const int32_t code = vesk_connect(instance.get(), sim.address().c_str());
    if (result != nullptr) *result = code;
    return instance;
}

int raw_connect(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval limit{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool raw_send_bytes(int fd, const std::vector<uint8_t> &bytes) {
    return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

std::vector<uint8_t> frame(uint32_t magic, uint32_t command, uint32_t arg0, uint32_t arg1,
                           uint32_t arg2, uint32_t arg3, uint32_t length,
                           const std::vector<uint8_t> &payload) {
    std::vector<uint8_t> bytes;
    for (uint32_t word : {magic, command, arg0, arg1, arg2, arg3, length}) put_be32(bytes, word);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

std::optional<raw_reply> raw_receive(int fd) {
    uint8_t head[28];
    if (!receive_all(fd, head, sizeof head)) return std::nullopt;
    raw_reply reply{get_be32(head), get_be32(head + 4), get_be32(head + 8), get_be32(head + 12),
                    get_be32(head + 16), get_be32(head + 20), {}};
    reply.payload.resize(get_be32(head + 24));
    if (!receive_all(fd, reply.payload.data(), reply.payload.size())) return std::nullopt;
    return reply;
}

std::optional<raw_reply> raw_exchange(int fd, uint32_t command, uint32_t arg0, uint32_t arg1,
                                      uint32_t arg2, uint32_t arg3,
                                      const std::vector<uint8_t> &payload) {
    const auto bytes = frame(VESK_MAGIC, command, arg0, arg1, arg2, arg3,
                             static_cast<uint32_t>(payload.size()), payload);
    if (!raw_send_bytes(fd, bytes)) return std::nullopt;
    return raw_receive(fd);
}

bool closed_by_peer(int fd) {
    pollfd polled{fd, POLLIN, 0};
    if (poll(&polled, 1, 5000) != 1) return false;
    uint8_t byte = 0;
    const ssize_t got = recv(fd, &byte, 1, MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}
