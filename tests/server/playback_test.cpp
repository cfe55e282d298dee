// Staging, playing and capturing: what comes back is checked sample for
// sample against what was staged, through each capture model.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "sim_harness.h"

namespace {

using namespace std::chrono_literals;

constexpr uint32_t N = 64;

std::vector<int32_t> random_block(uint32_t seed) {
    std::mt19937 generator(seed);
    std::vector<int32_t> block(N);
    for (auto &sample : block) sample = static_cast<int32_t>(generator());
    return block;
}

struct batch {
    int32_t result = 0;
    uint32_t count = 0, tag = 0, sequence = 0;
    std::vector<int32_t> samples;
};

batch read_input(vesk_instance *instance, uint32_t mask, uint32_t most) {
    batch b;
    b.samples.assign(size_t{most} * 32 * N, 0);
    b.count = most;
    b.result = vesk_read_input(instance, mask, b.samples.data(), &b.count, 0, &b.tag, &b.sequence);
    b.samples.resize(size_t{b.count} * static_cast<uint32_t>(__builtin_popcount(mask)) * N);
    return b;
}

// Reads until the end of the stream; the batches that carried blocks.
std::vector<batch> read_to_end(vesk_instance *instance, uint32_t mask, uint32_t most) {
    std::vector<batch> batches;
    for (int reads = 0; reads < 10000; ++reads) {
        batch b = read_input(instance, mask, most);
        if (b.result != 0) {
            EXPECT_EQ(b.result, VESK_END_OF_STREAM) << vesk_errtext(instance);
            return batches;
        }
        if (b.count > 0) batches.push_back(std::move(b));
    }
    ADD_FAILURE() << "no end of stream";
    return batches;
}

uint32_t playback_state(vesk_instance *instance) {
    uint32_t state = 99;
    EXPECT_EQ(vesk_query(instance, VESK_QUERY_PLAYBACK, &state, nullptr, nullptr, nullptr), 0);
    return state;
}

bool halts_within_seconds(vesk_instance *instance) {
    for (int polls = 0; polls < 500; ++polls) {
        if (playback_state(instance) == VESK_PLAYBACK_HALTED) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

struct session_fixture : ::testing::Test {
    void open(std::vector<std::string> options, uint32_t loopback) {
        sim = std::make_unique<vesksim_child>(std::move(options));
        client = connect_client(*sim, N);
        ASSERT_EQ(vesk_control(client.get(), VESK_CONTROL_LOOPBACK, static_cast<int32_t>(loopback)), 0);
        ASSERT_EQ(stage(VESK_STAGE_RESET, {}, 0, 0), 0);
    }
    int32_t stage(uint32_t flags, std::vector<const int32_t *> channels, uint32_t blocks, uint32_t tag) {
        return vesk_stage_output(client.get(), flags, static_cast<uint32_t>(channels.size()),
                                 channels.empty() ? nullptr : channels.data(), blocks, tag);
    }
    std::unique_ptr<vesksim_child> sim;
    instance_ptr client;
};

struct played_sequence : session_fixture {};

TEST_F(played_sequence, ComesBackSampleForSampleWithTagsAndSequenceNumbers) {
    open({"--speed", "0", "--outputs", "2", "--inputs", "3"}, VESK_LOOPBACK_SERVER);
    const auto a0 = random_block(1), a1 = random_block(2), b1 = random_block(3);
    ASSERT_EQ(stage(VESK_STAGE_DATA | VESK_STAGE_NO_CAPTURE, {nullptr, nullptr}, 3, 1), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA | VESK_STAGE_NO_CAPTURE, {a0.data(), a1.data()}, 1, 2), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {a0.data(), a1.data()}, 5, 3), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {nullptr, b1.data()}, 2, 4), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {}, 1, 5), 0);
    EXPECT_EQ(playback_state(client.get()), 0u);
    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
    EXPECT_EQ(playback_state(client.get()), 1u);

    const auto batches = read_to_end(client.get(), 0x7, 2);
    struct expected { uint32_t count, tag, sequence; const std::vector<int32_t> *out0, *out1; };
    const std::vector<int32_t> silence(N, 0);
    const std::vector<expected> wanted = {{2, 3, 4, &a0, &a1}, {2, 3, 6, &a0, &a1},
                                          {1, 3, 8, &a0, &a1}, {2, 4, 9, &silence, &b1},
                                          {1, 5, 11, &silence, &silence}};
    ASSERT_EQ(batches.size(), wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(batches[i].count, wanted[i].count);
        EXPECT_EQ(batches[i].tag, wanted[i].tag);
        EXPECT_EQ(batches[i].sequence, wanted[i].sequence);
        for (uint32_t k = 0; k < batches[i].count; ++k) {
            const int32_t *block = batches[i].samples.data() + size_t{k} * 3 * N;
            EXPECT_TRUE(std::equal(block, block + N, wanted[i].out0->begin()));
            EXPECT_TRUE(std::equal(block + N, block + 2 * N, wanted[i].out1->begin()));
            EXPECT_TRUE(std::equal(block + 2 * N, block + 3 * N, silence.begin()));  // no output 2
        }
    }
    // The stream stays ended, and the codec halts a little later.
    EXPECT_EQ(read_input(client.get(), 0x7, 2).result, VESK_END_OF_STREAM);
    EXPECT_EQ(playback_state(client.get()), 2u);
    EXPECT_TRUE(halts_within_seconds(client.get()));
}

TEST_F(played_sequence, CodecLoopbackIsQuantisedAndThreeSamplesLate) {
    open({"--speed", "0"}, VESK_LOOPBACK_I2S);
    const auto a = random_block(7);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {a.data()}, 2, 1), 0);
    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
    const auto batches = read_to_end(client.get(), 0x1, 10);
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].count, 2u);
    for (uint32_t j = 0; j < 2 * N; ++j) {
        const int32_t heard = j < 3 ? 0 : a[(j - 3) % N];
        EXPECT_EQ(batches[0].samples[j], static_cast<int32_t>(static_cast<uint32_t>(heard) & 0xFFFFFF00u)) << j;
    }
}

TEST_F(played_sequence, DeviceUnderTestHearsHalfTheOutputLateOverADeterministicNoiseFloor) {
    std::vector<std::vector<int32_t>> runs;
    const std::vector<int32_t> loud(N, 0x40000000);
    for (int run = 0; run < 2; ++run) {
        open({"--speed", "0", "--inputs", "2", "--outputs", "1"}, VESK_LOOPBACK_NONE);
        ASSERT_EQ(stage(VESK_STAGE_DATA, {loud.data()}, 2, 1), 0);
        ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
        const auto batches = read_to_end(client.get(), 0x3, 10);
        ASSERT_EQ(batches.size(), 1u);
        runs.push_back(batches[0].samples);
        client.reset();
    }
    EXPECT_EQ(runs[0], runs[1]);
    const auto &samples = runs[0];  // block 0: inputs 0 and 1, then block 1
    bool noise_heard = false;
    for (uint32_t j = 0; j < N; ++j) {
        for (uint32_t block = 0; block < 2; ++block) {
            const int32_t in0 = samples[block * 2 * N + j], in1 = samples[block * 2 * N + N + j];
            const int64_t position = block * N + j;
            const int32_t signal = position < 24 ? 0 : 0x20000000;
            EXPECT_EQ(in0 & 0xFF, 0);
            EXPECT_LE(std::abs(in0 - signal), 64 * 256) << position;
            EXPECT_LE(std::abs(in1), 64 * 256) << position;
            noise_heard |= in0 != signal && in1 != 0;
        }
    }
    EXPECT_TRUE(noise_heard);
}

TEST_F(played_sequence, UnalignedCaptureStartsAQuarterBlockEarly) {
    open({"--speed", "0"}, VESK_LOOPBACK_SERVER);
    const auto a = random_block(11);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {a.data()}, 2, 1), 0);
    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START_UNSYNCHRONIZED), 0);
    const auto batches = read_to_end(client.get(), 0x1, 10);
    ASSERT_EQ(batches.size(), 1u);
    for (uint32_t j = 0; j < 2 * N; ++j)
        EXPECT_EQ(batches[0].samples[j], j < N / 4 ? 0 : a[(j - N / 4) % N]) << j;
}

TEST_F(played_sequence, LoopRepeatsUntilStopped) {
    open({"--speed", "0"}, VESK_LOOPBACK_SERVER);
    const auto a = random_block(21), b = random_block(22);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {a.data()}, 1, 1), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA | VESK_STAGE_LOOP_START, {b.data()}, 1, 2), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {a.data()}, 1, 2), 0);
    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
    EXPECT_EQ(read_input(client.get(), 1, 10).count, 1u);
    const batch looped = read_input(client.get(), 1, 7);
    ASSERT_EQ(looped.count, 7u);
    EXPECT_EQ(looped.tag, 2u);
    EXPECT_EQ(looped.sequence, 1u);
    for (uint32_t k = 0; k < 7; ++k)
        EXPECT_EQ(looped.samples[k * N], (k % 2 == 0 ? b : a)[0]) << k;
    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_STOP), 0);
    EXPECT_EQ(read_input(client.get(), 1, 10).result, VESK_END_OF_STREAM);
    EXPECT_TRUE(halts_within_seconds(client.get()));
}

TEST_F(played_sequence, RealTimePlaybackStopsEarlyAtAWholeBlock) {
    open({"--hardware", "b"}, VESK_LOOPBACK_SERVER);
    // 64-sample blocks at 250 Hz: each block takes 256 ms.
    ASSERT_EQ(vesk_control(client.get(), VESK_CONTROL_SAMPLE_RATE, 250), 0);
    const auto a = random_block(31);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {a.data()}, 1000, 1), 0);
    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
    EXPECT_EQ(read_input(client.get(), 1, 10).count, 0u);  // nothing has played yet
    EXPECT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), VESK_SERVER_STATE);
    EXPECT_EQ(vesk_control(client.get(), VESK_CONTROL_SAMPLE_RATE, 2000), VESK_SERVER_STATE);
    EXPECT_EQ(stage(VESK_STAGE_RESET, {}, 0, 0), VESK_SERVER_STATE);
    EXPECT_STREQ(vesk_errtext(client.get()), "Cannot stage output while output is playing");

    uint32_t delivered = 0;
    for (int reads = 0; reads < 2000 && delivered < 2; ++reads) {
        delivered += read_input(client.get(), 1, 10).count;
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_GE(delivered, 2u);
    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_STOP), 0);
    uint32_t played = 0;
    ASSERT_EQ(vesk_query(client.get(), VESK_QUERY_PLAYBACK, nullptr, &played, nullptr, nullptr), 0);
    for (const auto &b : read_to_end(client.get(), 1, 10)) delivered += b.count;
    EXPECT_EQ(delivered, played);
    EXPECT_LT(played, 1000u);
    EXPECT_TRUE(halts_within_seconds(client.get()));
    // Staging works again once output has stopped.
    EXPECT_EQ(stage(VESK_STAGE_RESET, {}, 0, 0), 0);
}

TEST_F(played_sequence, C3RefusesToStartWhileTheCodecIsNotRunning) {
    open({"--speed", "0"}, VESK_LOOPBACK_SERVER);
    ASSERT_EQ(vesk_control(client.get(), VESK_CONTROL_HARDWARE_SETUP, 0x00000001), 0);
    EXPECT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), VESK_POWERED_DOWN);
    EXPECT_STREQ(vesk_errtext(client.get()), "Codec master state is not running (set-up word 0x00000001)");
    EXPECT_EQ(vesk_control_output(client.get(), 0x20000), VESK_INVALID_ARGUMENT);
    EXPECT_STREQ(vesk_errtext(client.get()), "Unsupported output control 0x00020000");
    ASSERT_EQ(vesk_control(client.get(), VESK_CONTROL_HARDWARE_SETUP, 0x00000002), 0);
    EXPECT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
    // An empty sequence ends at once.
    EXPECT_EQ(read_input(client.get(), 1, 10).result, VESK_END_OF_STREAM);
}

}  // namespace
