// A whole run against vesksim: what is captured under server loopback is
// what was played, ramps included, sample for sample, in playing order.
#include <gtest/gtest.h>

#include "expected_samples.h"
#include "program_run.h"
#include "vesksim_child.h"

namespace {

constexpr int n = 64;

TEST(SimulatedRun, PromiscuousCaptureHoldsTheWholeSequenceInPlayingOrder) {
    temp_folder work;
    vesksim_child sim({"--speed", "0", "--outputs", "1", "--inputs", "1"});
    program_result result = run_program(built_program("VESKPLAY"),
                                        {"-a", sim.address(), "-s", "64", "-l", "server", "-p",  "-q", "70",  "-j",
                                         "1",  "-b",          "2",  "-e", "1",  "-td",    "0.5", "-w", "-c0", "c0.raw"},
                                        work.path);

    EXPECT_EQ(result.status, 0);
    std::vector<int32_t> up;
    std::vector<int32_t> down;
    for (int j = 0; j < n; ++j) {
        up.push_back(16777212 * j);  // 0x3FFFFF00 × j / 64
        down.push_back(16777212 * (n - 1 - j));
    }
    std::vector<int32_t> dc = repeated(n, 0x3FFFFF00);
    std::vector<int32_t> want = joined({repeated(70 * n, 0), up, dc, dc, dc, down, repeated(n, 0)});
    EXPECT_EQ(read_file(work / "c0.raw"), host_order_bytes(want));
}

}  // namespace
