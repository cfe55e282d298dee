// Staging, playing and capturing: what comes back is checked sample for
// sample against what was staged, through each capture model.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
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

// The device under test (loopback 0) as --dut sets it up. Outputs 0 and 1
// play `out0` and `out1` (64 samples each, silence when empty) for `blocks`
// blocks; the samples each of inputs 0 to 2 captured.
std::vector<std::vector<int32_t>> capture_dut(session_fixture &f, const std::string &dut,
                                              const std::vector<int32_t> &out0,
                                              const std::vector<int32_t> &out1, uint32_t blocks) {
    std::vector<std::string> options = {"--speed", "0", "--outputs", "2", "--inputs", "3"};
    if (!dut.empty()) options.insert(options.end(), {"--dut", dut});
    f.open(options, VESK_LOOPBACK_NONE);
    EXPECT_EQ(f.stage(VESK_STAGE_DATA, {out0.empty() ? nullptr : out0.data(),
                                        out1.empty() ? nullptr : out1.data()}, blocks, 1), 0);
    EXPECT_EQ(vesk_control_output(f.client.get(), VESK_OUTPUT_START), 0);
    std::vector<std::vector<int32_t>> inputs(3);
    for (const auto &b : read_to_end(f.client.get(), 0x7, blocks))
        for (uint32_t k = 0; k < b.count; ++k)
            for (uint32_t input = 0; input < 3; ++input) {
                const int32_t *block = b.samples.data() + (size_t{k} * 3 + input) * N;
                inputs[input].insert(inputs[input].end(), block, block + N);
            }
    f.client.reset();
    return inputs;
}

// Floored to whole 24-bit steps and saturated, as the device's codec does.
int32_t floored_24(double sample) {
    return static_cast<int32_t>(std::clamp(std::floor(sample / 256), -8388608.0, 8388607.0)) * 256;
}

double decibels(double ratio) { return 20 * std::log10(ratio); }

TEST_F(played_sequence, DeviceUnderTestHasTheImpairmentsAsked) {
    const auto a0 = random_block(41), a1 = random_block(42);
    const uint32_t blocks = 2;
    // Output m heard `delay` samples late, silence before and beyond output 1.
    auto output = [&](int m, int64_t t, uint32_t delay) -> double {
        if (m < 0 || m > 1 || t < delay) return 0;
        return (m == 0 ? a0 : a1)[(t - delay) % N];
    };
    const auto defaults = capture_dut(*this, "", a0, a1, blocks);
    // The built-in model, pinned: half the output 24 samples late, plus up
    // to 64 steps of a noise that depends only on input and position.
    uint64_t hash = 14695981039346656037ull;
    std::vector<std::vector<double>> noise(3);
    for (int n = 0; n < 3; ++n)
        for (int64_t t = 0; t < blocks * N; ++t) {
            hash = (hash ^ static_cast<uint32_t>(defaults[n][t])) * 1099511628211ull;
            noise[n].push_back(defaults[n][t] - floored_24(0.5 * output(n, t, 24)));
            EXPECT_LE(std::abs(noise[n].back()), 64 * 256) << t;
        }
    EXPECT_EQ(hash, 8707859945292463397u);
    EXPECT_NE(noise[0], noise[1]);

    struct dut_case {
        const char *dut;
        double gain;
        uint32_t delay;
        double crosstalk;
        bool built_in_noise;
    };
    const dut_case cases[] = {
        {"delay=37", 0.5, 37, 0, true},
        {"gain=-6", std::pow(10, -6 / 20.0), 24, 0, true},
        {"gain=6,delay=0,noise=off", std::pow(10, 6 / 20.0), 0, 0, false},  // saturates
        {"crosstalk=-20,noise=off", 0.5, 24, 0.1, false},
        {"gain=0,delay=37,noise=off,thd=off,crosstalk=-90", 1, 37, std::pow(10, -90 / 20.0), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.dut);
        const auto heard = capture_dut(*this, c.dut, a0, a1, blocks);
        for (int n = 0; n < 3; ++n)
            for (int64_t t = 0; t < blocks * N; ++t) {
                const double neighbours = output(n - 1, t, c.delay) + output(n + 1, t, c.delay);
                const double y = c.gain * (output(n, t, c.delay) + c.crosstalk * neighbours);
                ASSERT_EQ(heard[n][t], floored_24(y + (c.built_in_noise ? noise[n][t] : 0)))
                    << "input " << n << " sample " << t;
            }
    }
}

TEST_F(played_sequence, DeviceUnderTestHasTheNoiseAndDistortionAsked) {
    struct level_case {
        const char *dut;
        double amplitude;  // of a sine of 64 samples a period; 0: silence
        double level;      // dB: RMS of the noise, else third harmonic over fundamental
    };
    const auto third = [](double thd_db, double amplitude) {
        const double h = std::pow(10, thd_db / 20), c = 4 * h / (1 + 3 * h);
        const double a2 = amplitude * amplitude;
        return decibels(c * a2 / (4 - 3 * c * a2));
    };
    const level_case cases[] = {
        {"noise=-60", 0, -60},
        {"gain=-6,delay=37,noise=-110,thd=-80,crosstalk=-90", 0, -110},
        {"gain=0,delay=0,noise=off,thd=-40", 1, -40},
        {"gain=0,delay=0,noise=off,thd=-80", 1, -80},
        {"gain=0,delay=0,noise=off,thd=-100", 1, -100},
        {"gain=0,delay=0,noise=off,thd=-40", 0.5, third(-40, 0.5)},
    };
    const uint32_t blocks = 256;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.dut);
        std::vector<int32_t> sine;
        for (uint32_t j = 0; c.amplitude > 0 && j < N; ++j)
            sine.push_back(static_cast<int32_t>(std::lround(c.amplitude * 2147483647.0 *
                                                            std::sin(2 * M_PI * j / N))));
        const auto heard = capture_dut(*this, c.dut, sine, {}, blocks);
        if (c.amplitude == 0) {
            for (int n = 0; n < 3; ++n) {
                double power = 0;
                for (int32_t sample : heard[n]) power += std::pow(sample, 2.0);
                const double full_scale_sine_rms = 2147483648.0 / std::sqrt(2.0);
                EXPECT_NEAR(decibels(std::sqrt(power / heard[n].size()) / full_scale_sine_rms),
                            c.level, 0.1);
            }
            continue;
        }
        auto harmonic = [&](int k) {  // the amplitude of harmonic k
            double re = 0, im = 0;
            for (size_t t = 0; t < heard[0].size(); ++t) {
                re += heard[0][t] * std::cos(2 * M_PI * k * t / N);
                im += heard[0][t] * std::sin(2 * M_PI * k * t / N);
            }
            return std::hypot(re, im);
        };
        EXPECT_NEAR(decibels(harmonic(3) / harmonic(1)), c.level, 0.01);
        EXPECT_LT(decibels(harmonic(2) / harmonic(1)), -130);
    }
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
