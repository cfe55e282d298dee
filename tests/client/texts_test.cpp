// Instances, return code texts, the message text rules and the debug log.
#include <dlfcn.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "client_test_support.h"
#include "text_lines.h"

namespace {

// A system error whose text is longer than the instance keeps.
constexpr int long_text_error = 4242;
const std::string long_error_text = std::string(1022, 'e') + "XYZ";

}  // namespace

// The GNU strerror_r, which may hand back a text of its own; every other
// error number keeps the system's text.
extern "C" char *strerror_r(int error_number, char *buffer, size_t size) noexcept {
    if (error_number == long_text_error) return const_cast<char *>(long_error_text.c_str());
    using gnu_strerror_r = char *(*)(int, char *, size_t);
    static const auto system = reinterpret_cast<gnu_strerror_r>(dlsym(RTLD_NEXT, "strerror_r"));
    return system(error_number, buffer, size);
}

TEST(Texts, ReturnAndLoopbackTexts) {
    std::string texts;
    for (int32_t code = 0; code >= -10; --code) texts += std::string(vesk_returntext(nullptr, code)) + "|";
    EXPECT_EQ(texts, "Success|Not initialized|Audio server state|Network error|Invalid argument|Version mismatch|"
                     "End of stream|Error from server|Not connected|Connected|Audio subsystem powered down|");
    for (int32_t code : {1, -11, INT32_MIN, INT32_MAX})
        EXPECT_STREQ(vesk_returntext(nullptr, code), "Unrecognized return value") << code;
    const char *fallback = "unknown loopback", *loopbacks[] = {"none", "i2s (codec)", "server"};
    for (int32_t value = 0; value <= 2; ++value)
        EXPECT_STREQ(vesk_loopbacktext(nullptr, value, fallback), loopbacks[value]);
    EXPECT_EQ(vesk_loopbacktext(nullptr, 3, fallback), fallback);
    EXPECT_EQ(vesk_loopbacktext(nullptr, -1, nullptr), nullptr);
}

TEST(Texts, InstancesAndTheirTexts) {
    instance_ptr fresh = new_instance();
    EXPECT_STREQ(vesk_errtext(fresh.get()), "");
    EXPECT_EQ((std::array{fresh->connect_timeout_ms, fresh->progress_timeout_ms}), (std::array{2000u, 2000u}));
    EXPECT_STREQ(vesk_errtext(nullptr), "NULL instance handle");
    vesk_set_errtext(nullptr, "ignored");
    vesk_shutdown(nullptr);

    // The mask is kept and the log path cut.
    std::string path(5000, 'p');
    const int32_t live = active_instances;
    vesk_instance *logging = vesk_init(0xA5, path.c_str());
    ASSERT_NE(logging, nullptr);
    EXPECT_EQ(std::string(logging->log_path), path.substr(0, 4096));
    EXPECT_EQ(logging->debug_mask, 0xA5u);
    EXPECT_EQ(active_instances, live + 1);
    vesk_shutdown(logging);
    EXPECT_EQ(active_instances, live);

    // Kept and passed-on texts show in the calls' own tests.
    vesk_instance *i = fresh.get();
    // "%s" formats to nothing; the empty format goes through a variable to keep it out of the format check.
    const std::pair<const char *, const char *> table[] = {
        {nullptr, "No error"}, {"", "Error description not available"}, {"%s", "Error description not available"}};
    for (auto [format, want] : table) {
        vesk_set_errtext(i, format, "");
        EXPECT_STREQ(vesk_errtext(i), want);
    }
    std::string long_text(1500, 'a');
    long_text[1022] = 'b';
    vesk_set_errtext(i, "%s", long_text.c_str());
    EXPECT_EQ(std::string(vesk_errtext(i)), long_text.substr(0, 1023));

    // The errno texts themselves show in the connect and exchange failures.
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    EXPECT_STREQ(socket_errortext(i, fds[0]), "Success");
    close(fds[0]);
    close(fds[1]);
    // A text longer than the buffer is cut and ended inside it, whatever the buffer held.
    std::memset(i->syserrtext, 'x', sizeof i->syserrtext);
    i->debug_mask = 0xA5;
    EXPECT_EQ(std::string(errortext(i, long_text_error)), long_error_text.substr(0, 1023));
    EXPECT_EQ(i->debug_mask, 0xA5u) << "the field after the buffer is kept";
    EXPECT_EQ(std::string(errortext(i, 99999)), "Unknown error 99999");
    i->syserrtext[0] = 'x';
    EXPECT_STREQ(socket_errortext(i, fds[0]), "Unknown error (SO_ERROR unavailable)");
    EXPECT_EQ(i->syserrtext[0], 'x') << "left untouched";
}

TEST(Texts, DebugLogAppendsLinesAndKeepsErrno) {
    const std::string path = testing::TempDir() + "veskclient-debug-" + std::to_string(getpid());
    vesk_instance *instance = vesk_init(1, path.c_str());
    errno = ENOSPC;
    debug(instance, "first %d", 1);
    EXPECT_EQ(errno, ENOSPC);
    debug(instance, "%s", std::string(2000, 'z').c_str());
    EXPECT_EQ(text_of(path), "first 1\r\n" + std::string(1023, 'z') + "\r\n");
    unlink(path.c_str());

    std::snprintf(instance->log_path, sizeof instance->log_path, "/nonexistent-dir/log");
    errno = EDOM;
    debug(instance, "dropped");
    EXPECT_EQ(errno, EDOM) << "a log that cannot be opened changes nothing";
    vesk_shutdown(instance);
}
