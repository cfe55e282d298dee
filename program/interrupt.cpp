#include "interrupt.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <thread>

#include "format_text.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

std::atomic<int> noted_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch a lock-free flag");

bool interrupt_reported = false;  // the run's thread only

std::thread receiver;
int receiver_wake[2] = {-1, -1};  // closing the write end lets the receiver end

void note_signal(int signal) {
    int none = 0;
    noted_signal.compare_exchange_strong(none, signal);
}

sigset_t interrupt_signals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

// Signals the caller had ignored stay ignored.
void take_default_actions() {
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        sigaction(signal, nullptr, &action);
        if (action.sa_handler == note_signal) {
            action.sa_handler = SIG_DFL;
            sigaction(signal, &action, nullptr);
        }
    }
}

// The only thread that takes the signals, and only inside its wait, so that
// each one ends the wait and is seen at once. Once one is noted, either
// signal ends the process at once (the handler has already seen to that for
// its own kind).
void receive_signals() {
    sigset_t during_wait;
    pthread_sigmask(SIG_BLOCK, nullptr, &during_wait);
    sigdelset(&during_wait, SIGINT);
    sigdelset(&during_wait, SIGTERM);
    pollfd wake{receiver_wake[0], POLLIN, 0};
    for (;;) {
        int ready = ppoll(&wake, 1, nullptr, &during_wait);
        if (interrupting_signal()) take_default_actions();
        if (ready > 0 || errno != EINTR) return;  // closing the write end ends the wait
    }
}

// Ending by a signal skips the leak check that a sanitized build makes at
// exit; an interrupted run must release everything all the same.
void check_for_leaks() {
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check();
#endif
}

}  // namespace

void start_catching_interrupts() {
    if (pipe(receiver_wake) != 0) return;  // then the signals keep their default action
    struct sigaction action {};
    action.sa_handler = note_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigset_t signals = interrupt_signals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    for (int signal : {SIGINT, SIGTERM}) {
        // A shell ignores SIGINT for what it starts in the background: keep it so.
        struct sigaction current {};
        sigaction(signal, nullptr, &current);
        if (current.sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
    }
    receiver = std::thread(receive_signals);
}

int interrupting_signal() { return noted_signal.load(); }

std::string interrupted_line(int signal) {
    std::string line;
    append_format(line, "Interrupted by %s\n", signal == SIGTERM ? "SIGTERM" : "SIGINT");
    return line;
}

int report_interrupt() {
    int signal = interrupting_signal();
    if (signal != 0 && !interrupt_reported) {
        interrupt_reported = true;
        std::fputs(interrupted_line(signal).c_str(), stdout);
    }
    return signal;
}

void finish_catching_interrupts() {
    if (!receiver.joinable()) return;
    close(receiver_wake[1]);
    receiver.join();
    close(receiver_wake[0]);
    // A signal that came once the receiver had ended is noted here.
    sigset_t signals = interrupt_signals();
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    if (int signal = report_interrupt()) {
        std::fflush(stdout);
        check_for_leaks();
        take_default_actions();
        raise(signal);
    }
    std::fflush(stdout);
}
