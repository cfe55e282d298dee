// Instances, return code texts, the message text rules and the debug log.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "client_test_support.h"

TEST(Texts, ReturnAndLoopbackTexts) {
    const char *const texts[] = {"Success", "Not initialized", "Audio server state", "Network error",
                                 "Invalid argument", "Version mismatch", "End of stream",
                                 "Error from server", "Not connected", "Connected",
                                 "Audio subsystem powered down"};
    for (int32_t code = 0; code >= -10; --code)
        EXPECT_STREQ(vesk_returntext(nullptr, code), texts[-code]) << code;
    for (int32_t code : {1, -11, INT32_MIN, INT32_MAX})
        EXPECT_STREQ(vesk_returntext(nullptr, code), "Unrecognized return value") << code;

    const char *fallback = "unknown loopback";
    const char *loopbacks[] = {"none", "i2s (codec)", "server"};
    for (int32_t value = 0; value <= 2; ++value)
        EXPECT_STREQ(vesk_loopbacktext(nullptr, value, fallback), loopbacks[value]);
    EXPECT_EQ(vesk_loopbacktext(nullptr, 3, fallback), fallback);
    EXPECT_EQ(vesk_loopbacktext(nullptr, -1, nullptr), nullptr);
}

TEST(Texts, NewInstanceAndNullHandle) {
    instance_ptr instance = new_instance();
    EXPECT_STREQ(vesk_errtext(instance.get()), "");
    EXPECT_EQ((std::array{instance->socket, instance->block_size}), (std::array{-1, 0}));
    EXPECT_EQ((std::array{instance->connect_timeout_ms, instance->progress_timeout_ms}),
              (std::array{2000u, 2000u}));
    EXPECT_STREQ(instance->log_path, "");
    EXPECT_STREQ(vesk_errtext(nullptr), "NULL instance handle");
    vesk_set_errtext(nullptr, "ignored");
    vesk_shutdown(nullptr);
}

TEST(Texts, FormattingRuleAndPreReturn) {
    instance_ptr instance = new_instance();
    const char *empty_format = "";
    // "%s" formats to nothing.
    const std::pair<const char *, const char *> table[] = {{nullptr, "No error"},
                                                           {empty_format, "Error description not available"},
                                                           {"%s", "Error description not available"}};
    for (auto [format, want] : table) {
        vesk_set_errtext(instance.get(), format, "");
        EXPECT_STREQ(vesk_errtext(instance.get()), want);
    }
    std::string long_text(1500, 'a');
    long_text[1022] = 'b';
    vesk_set_errtext(instance.get(), "%s", long_text.c_str());
    EXPECT_EQ(std::string(vesk_errtext(instance.get())), long_text.substr(0, 1023));

    vesk_instance *i = instance.get();
    set_errtext(i, "kept %d%%", 5);
    EXPECT_EQ(outcome_of(i, pre_return(i, -3, nullptr)), (outcome{-3, "kept 5%"}));
    EXPECT_EQ(outcome_of(i, pre_return(i, 0, i->errtext)), (outcome{0, "kept 5%"})) << "not reformatted";
    EXPECT_EQ(outcome_of(i, pre_return(i, -4, "new %s", "text")), (outcome{-4, "new text"}));
}

TEST(Texts, InitStoresMaskAndCutsTheLogPath) {
    std::string path(5000, 'p');
    vesk_instance *instance = vesk_init(0xA5, path.c_str());
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(std::string(instance->log_path), path.substr(0, 4096));
    EXPECT_EQ(instance->debug_mask, 0xA5u);
    int32_t before = active_instances;
    vesk_instance *second = vesk_init(0, nullptr);
    EXPECT_EQ(active_instances, before + 1);
    vesk_shutdown(instance);
    vesk_shutdown(second);
    EXPECT_EQ(active_instances, before - 1);
}

TEST(Texts, SystemErrorTexts) {
    instance_ptr instance = new_instance();
    EXPECT_EQ(errortext(instance.get(), ECONNREFUSED), instance->syserrtext);
    EXPECT_STREQ(instance->syserrtext, "Connection refused");
    EXPECT_STREQ(errortext(instance.get(), 99999), "Unknown error 99999");
    errno = EPIPE;
    EXPECT_STREQ(last_errortext(instance.get()), "Broken pipe");

    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    EXPECT_STREQ(socket_errortext(instance.get(), fds[0]), "Success");
    close(fds[0]);
    close(fds[1]);
    instance->syserrtext[0] = 'x';
    EXPECT_STREQ(socket_errortext(instance.get(), fds[0]), "Unknown error (SO_ERROR unavailable)");
    EXPECT_EQ(instance->syserrtext[0], 'x') << "left untouched";
}

TEST(Texts, DebugLogAppendsLinesAndKeepsErrno) {
    char path[] = "/tmp/veskclient-debug-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    vesk_instance *instance = vesk_init(1, path);
    errno = ENOSPC;
    debug(instance, "first %d", 1);
    EXPECT_EQ(errno, ENOSPC);
    debug(instance, "%s", std::string(2000, 'z').c_str());
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_EQ(content.str(), "first 1\r\n" + std::string(1023, 'z') + "\r\n");
    unlink(path);

    std::snprintf(instance->log_path, sizeof instance->log_path, "/nonexistent-dir/log");
    errno = EDOM;
    debug(instance, "dropped");
    EXPECT_EQ(errno, EDOM) << "a log that cannot be opened changes nothing";
    vesk_shutdown(instance);
}
