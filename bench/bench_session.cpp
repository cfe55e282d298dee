#include "bench_session.h"

#include <unistd.h>

#include <string>

#include "raw_client.h"

bool open_session(bench_session &session, benchmark::State &state, uint32_t block_size, size_t capture_samples,
                  size_t stage_bytes) {
    if (!start_bench_server(session.server, capture_samples, stage_bytes)) {
        state.SkipWithError("cannot listen on 127.0.0.1");
        return false;
    }
    session.library = vesk_init(0, nullptr);
    const std::string address = "127.0.0.1:" + std::to_string(session.server.port);
    if (vesk_control(session.library, VESK_CONTROL_BLOCK_SIZE, static_cast<int32_t>(block_size)) != VESK_SUCCESS ||
        vesk_connect(session.library, address.c_str()) != VESK_SUCCESS) {
        state.SkipWithError(vesk_errtext(session.library));
        return false;
    }
    session.raw = raw_connect(session.server.port, block_size);
    if (session.raw < 0) {
        state.SkipWithError("raw connection failed");
        return false;
    }
    return true;
}

void close_session(bench_session &session) {
    if (session.raw >= 0) close(session.raw);
    session.raw = -1;
    if (session.library) {
        vesk_connect(session.library, nullptr);
        vesk_shutdown(session.library);
    }
    session.library = nullptr;
    stop_bench_server(session.server);
}
