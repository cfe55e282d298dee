// Staging, playing and capturing: what comes back is checked sample for
// sample against what was staged, through each capture model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <thread>
#include <tuple>

#include "sim_harness.h"

namespace {

constexpr uint32_t N = 64;
constexpr double pi = std::numbers::pi;

std::vector<int32_t> random_block(uint32_t seed) {
    std::mt19937 generator(seed);
    std::vector<int32_t> block(N);
    for (auto &sample : block) sample = static_cast<int32_t>(generator());
    return block;
}

struct batch {
    int32_t result = 0;
    uint32_t count = 0, tag = 0, sequence = 0;
    std::vector<int32_t> samples;  // block by block, each input of the mask in turn
};

batch read_input(vesk_instance *instance, uint32_t mask, uint32_t most) {
    batch b{0, most, 0, 0, std::vector<int32_t>(size_t{most} * 32 * N)};
    b.result = vesk_read_input(instance, mask, b.samples.data(), &b.count, 0, &b.tag, &b.sequence);
    b.samples.resize(size_t{b.count} * static_cast<uint32_t>(__builtin_popcount(mask)) * N);
    return b;
}

// Reads until the end of the stream; the batches that carried blocks.
std::vector<batch> read_to_end(vesk_instance *instance, uint32_t mask, uint32_t most) {
    std::vector<batch> batches;
    batch b;
    for (int reads = 0; reads < 10000 && (b = read_input(instance, mask, most)).result == 0; ++reads)
        if (b.count > 0) batches.push_back(b);
    EXPECT_EQ(b.result, VESK_END_OF_STREAM) << vesk_errtext(instance);
    return batches;
}

// The batches' samples as one stream per input of the `inputs` lowest.
std::vector<std::vector<int32_t>> by_input(const std::vector<batch> &batches, uint32_t inputs) {
    std::vector<std::vector<int32_t>> heard(inputs);
    for (const auto &b : batches)
        for (size_t k = 0; k < b.count * inputs; ++k)
            heard[k % inputs].insert(heard[k % inputs].end(), &b.samples[k * N], &b.samples[k * N] + N);
    return heard;
}

struct PlayedSequence : ::testing::Test {
    void open(std::vector<std::string> options, uint32_t loopback) {
        client.reset();
        sim = std::make_unique<vesksim_child>(std::move(options));
        client = connect_client(*sim, N);
        ASSERT_EQ(vesk_control(client.get(), VESK_CONTROL_LOOPBACK, static_cast<int32_t>(loopback)), 0);
    }
    int32_t stage(uint32_t flags, std::vector<const int32_t *> channels, uint32_t blocks, uint32_t tag) {
        return vesk_stage_output(client.get(), flags, static_cast<uint32_t>(channels.size()),
                                 channels.empty() ? nullptr : channels.data(), blocks, tag);
    }
    // Plays `blocks` blocks of one segment; the samples each input of
    // `inputs` captured, in order.
    std::vector<std::vector<int32_t>> capture(std::vector<const int32_t *> outputs, uint32_t blocks, uint32_t inputs) {
        EXPECT_EQ(stage(VESK_STAGE_DATA, outputs, blocks, 1), 0);
        EXPECT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
        return by_input(read_to_end(client.get(), (1u << inputs) - 1, blocks), inputs);
    }
    // The playback state and the blocks played.
    std::pair<uint32_t, uint32_t> playback() {
        std::pair<uint32_t, uint32_t> got(99, 99);
        EXPECT_EQ(vesk_query(client.get(), VESK_QUERY_PLAYBACK, &got.first, &got.second, nullptr, nullptr), 0);
        return got;
    }
    std::unique_ptr<vesksim_child> sim;
    instance_ptr client;
};

TEST_F(PlayedSequence, PlaysTheStagedSequenceSampleForSampleUntilStoppedAtAWholeBlock) {
    open({"--speed", "0", "--outputs", "2", "--inputs", "3"}, VESK_LOOPBACK_SERVER);
    const auto a0 = random_block(1), a1 = random_block(2), b1 = random_block(3);
    ASSERT_EQ(stage(VESK_STAGE_DATA | VESK_STAGE_NO_CAPTURE, {nullptr, nullptr}, 3, 1), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA | VESK_STAGE_NO_CAPTURE, {a0.data(), a1.data()}, 1, 2), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {a0.data(), a1.data()}, 5, 3), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {nullptr, b1.data()}, 2, 4), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {}, 1, 5), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA | VESK_STAGE_LOOP_START, {b1.data(), a0.data()}, 1, 6), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {a1.data(), b1.data()}, 1, 6), 0);
    EXPECT_EQ(playback().first, 0u);
    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
    EXPECT_EQ(playback().first, 1u);

    const std::vector<int32_t> zero(N, 0);
    struct expected {
        uint32_t count, tag, sequence;
        const std::vector<int32_t> &out0, &out1;
    };
    const expected wanted[] = {{2, 3, 4, a0, a1},   {2, 3, 6, a0, a1},      {1, 3, 8, a0, a1},
                               {2, 4, 9, zero, b1}, {1, 5, 11, zero, zero}, {1, 6, 12, b1, a0},
                               {1, 6, 13, a1, b1},  {1, 6, 14, b1, a0},     {1, 6, 15, a1, b1}};
    for (size_t i = 0; i < std::size(wanted); ++i) {
        const expected &w = wanted[i];
        const batch b = read_input(client.get(), 0x7, i < 5 ? 2 : 1);
        EXPECT_EQ(std::tie(b.result, b.count, b.tag, b.sequence), std::make_tuple(0, w.count, w.tag, w.sequence)) << i;
        std::vector<int32_t> inputs;  // input 2 hears no output
        for (uint32_t k = 0; k < w.count; ++k)
            for (const auto *input : {&w.out0, &w.out1, &zero})
                inputs.insert(inputs.end(), input->begin(), input->end());
        EXPECT_EQ(b.samples, inputs) << i;
        EXPECT_EQ(playback().second, w.sequence + w.count) << i;  // reads drive playback at speed 0
    }

    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_STOP), 0);
    const uint32_t played = playback().second;
    uint32_t delivered = 16;  // sequence numbers 0 to 15
    for (const auto &rest : read_to_end(client.get(), 0x7, 10)) delivered += rest.count;
    EXPECT_EQ(delivered, played);  // every block played is delivered, whole
    // The stream stays ended, and the codec halts a little later.
    EXPECT_EQ(read_input(client.get(), 0x7, 2).result, VESK_END_OF_STREAM);
    EXPECT_EQ(playback().first, 2u);
    for (int polls = 0; polls < 500 && playback().first != VESK_PLAYBACK_HALTED; ++polls)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(playback().first, VESK_PLAYBACK_HALTED);
    EXPECT_EQ(stage(VESK_STAGE_RESET, {}, 0, 0), 0);  // staging works again
    // A loop that holds no block is none: the stream ends after the block before it.
    ASSERT_EQ(stage(VESK_STAGE_DATA, {a0.data(), a1.data()}, 1, 7), 0);
    ASSERT_EQ(stage(VESK_STAGE_DATA | VESK_STAGE_LOOP_START, {a0.data(), a1.data()}, 0, 8), 0);
    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
    EXPECT_EQ(read_to_end(client.get(), 0x7, 10).size(), 1u);
}

// In real time a read gets the blocks played so far, and the end of the
// stream only once the last block has played: not while a segment that is
// not captured still plays, and not a block late.
TEST_F(PlayedSequence, InRealTimeTheStreamEndsJustAsItsLastBlockHasPlayed) {
    open({"--hardware", "b", "--outputs", "1", "--inputs", "1"}, VESK_LOOPBACK_SERVER);
    ASSERT_EQ(vesk_control(client.get(), VESK_CONTROL_SAMPLE_RATE, 5 * N), 0);  // 200 ms a block
    const auto a = random_block(9);
    for (const bool trailing : {true, false}) {
        SCOPED_TRACE(trailing ? "then a long segment not captured" : "alone");
        ASSERT_EQ(stage(VESK_STAGE_RESET, {}, 0, 0), 0);
        ASSERT_EQ(stage(VESK_STAGE_DATA, {a.data()}, 1, 7), 0);
        ASSERT_EQ(trailing ? stage(VESK_STAGE_DATA | VESK_STAGE_NO_CAPTURE, {a.data()}, 1000, 8) : 0, 0);
        ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        EXPECT_EQ(playback().first == 1, trailing);  // still playing, or done
        const batch b = read_input(client.get(), 1, 5);
        EXPECT_EQ(std::tie(b.result, b.count, b.tag, b.samples), std::make_tuple(0, 1u, 7u, a));
        EXPECT_EQ(read_input(client.get(), 1, 5).result, trailing ? 0 : VESK_END_OF_STREAM);
        ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_STOP), 0);
        EXPECT_EQ(read_input(client.get(), 1, 5).result, VESK_END_OF_STREAM);
    }
}

// Unaligned capture hears the output a quarter block late, and the codec's
// loopback keeps 24 bits and is 3 samples later still. Under the server and
// i2s loopbacks an input above the outputs hears silence, whatever an
// earlier read of another input left; so does an output a segment leaves
// out, in the part of the last block that reaches into it.
TEST_F(PlayedSequence, UnalignedCaptureIsAQuarterBlockLateAndInputsAboveTheOutputsHearSilence) {
    const auto a = random_block(7);
    const std::pair<int64_t, uint32_t> reads[] = {{0, 0x3}, {1, 0x3}, {2, 0x6}, {3, 0x2}};  // block, inputs
    for (uint32_t loopback : {VESK_LOOPBACK_SERVER, VESK_LOOPBACK_I2S}) {
        open({"--speed", "0", "--inputs", "3"}, loopback);
        const bool codec = loopback == VESK_LOOPBACK_I2S;
        ASSERT_EQ(stage(VESK_STAGE_DATA, {a.data(), a.data()}, 3, 1), 0);
        ASSERT_EQ(stage(VESK_STAGE_DATA, {a.data()}, 1, 1), 0);
        ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START_UNSYNCHRONIZED), 0);
        for (const auto &[block, mask] : reads) {
            const batch b = read_input(client.get(), mask, 1);
            ASSERT_EQ(b.count, 1u);
            const int32_t *heard = b.samples.data();
            for (uint32_t input = 0; input < 3; ++input) {
                if (!(mask & (1u << input))) continue;
                for (int64_t j = 0, t = block * N - N / 4 - (codec ? 3 : 0); j < N; ++j, ++t) {
                    const bool silent = t < 0 || input == 2 || (input == 1 && t >= 3 * N);
                    EXPECT_EQ(heard[j], silent ? 0 : a[t % N] & (codec ? ~0xFF : ~0))
                        << block << " " << input << " " << j;
                }
                heard += N;
            }
        }
    }
}

// Floored to whole 24-bit steps and saturated, as the device's codec does.
int32_t floored_24(double sample) {
    return static_cast<int32_t>(std::clamp(std::floor(sample / 256), -8388608.0, 8388607.0)) * 256;
}

// Loopback 0 with --dut: inputs 0 to 2 hear outputs 0 and 1. The levels the
// model gives are measured end to end through veskmeasure; here every
// sample is pinned.
TEST_F(PlayedSequence, DeviceUnderTestHasTheImpairmentsAsked) {
    constexpr int64_t samples = 4 * N;
    const auto a0 = random_block(41), a1 = random_block(42);
    // Output m heard `delay` samples late; silence before and beyond output 1.
    auto output = [&](int m, int64_t t, int64_t delay) -> double {
        return m < 0 || m > 1 || t < delay ? 0 : (m == 0 ? a0 : a1)[(t - delay) % N];
    };
    auto play = [&](const std::string &dut) {
        open({"--speed", "0", "--outputs", "2", "--inputs", "3", "--dut", dut}, VESK_LOOPBACK_NONE);
        return capture({a0.data(), a1.data()}, samples / N, 3);
    };
    // The built-in model, pinned: half the output 24 samples late, plus a
    // noise that depends only on input and position.
    const auto defaults = play("thd=off");
    uint64_t hash = 14695981039346656037ull;
    for (int n = 0; n < 3; ++n)
        for (int64_t t = 0; t < 2 * N; ++t) hash = (hash ^ static_cast<uint32_t>(defaults[n][t])) * 1099511628211ull;
    EXPECT_EQ(hash, 8707859945292463397u);

    // Without noise, input n hears gain * (x - c x^3 + crosstalk * (x[n-1] + x[n+1])).
    // --dut, then the gain, delay, THD (dB), crosstalk and skew it gives.
    const std::tuple<const char *, double, uint32_t, double, double, uint32_t> cases[] = {
        {"delay=37,noise=off", 0.5, 37, -INFINITY, 0, 0},
        {"gain=6,delay=0,noise=off", std::pow(10, 6 / 20.0), 0, -INFINITY, 0, 0},  // saturates
        {"crosstalk=-20,noise=off", 0.5, 24, -INFINITY, 0.1, 0},
        {"gain=0,delay=0,noise=off,thd=-40,crosstalk=off", 1, 0, -40, 0, 0},
        {"skew=1000,skew=5,delay=2,noise=off,crosstalk=-20", 0.5, 2, -INFINITY, 0.1, 5},
    };
    for (const auto &[dut, gain, first_delay, thd_db, crosstalk, skew] : cases) {
        SCOPED_TRACE(dut);
        const auto heard = play(dut);
        // A full-scale sine comes back with its third harmonic at thd_db.
        const double h = std::pow(10, thd_db / 20), cubic = 4 * h / (1 + 3 * h) / std::pow(2.0, 62);
        for (int n = 0; n < 3; ++n)
            for (int64_t t = 0, delay = first_delay + n * skew; t < samples; ++t) {
                const double x = output(n, t, delay);
                const double neighbours = output(n - 1, t, delay) + output(n + 1, t, delay);
                const double y = gain * (x - cubic * x * x * x + crosstalk * neighbours);
                ASSERT_EQ(heard[n][t], floored_24(y)) << "input " << n << " sample " << t;
            }
    }
    // The top input of 32 has no neighbour above: of output 0 it hears
    // nothing, while input 1 hears it leak.
    open({"--speed", "0", "--outputs", "32", "--inputs", "32", "--dut", "crosstalk=-20,noise=off"}, VESK_LOOPBACK_NONE);
    ASSERT_EQ(stage(VESK_STAGE_DATA, {a0.data()}, 2, 1), 0);
    ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
    const auto heard = by_input(read_to_end(client.get(), 0x80000002u, 2), 2);
    EXPECT_EQ(std::pair(heard[0] == heard[1], heard[1]), std::pair(false, std::vector<int32_t>(2 * N, 0)));
}

// The filters' steady-state response to sines against the formula of the
// manual: the response at f is the analogue section's at
// tan(pi f / rate) / tan(pi corner / rate).
std::complex<double> butterworth(double highpass, double lowpass, double f, double rate) {
    const auto section = [&](double corner, bool high) -> std::complex<double> {
        const std::complex<double> s(0, std::tan(pi * f / rate) / std::tan(pi * corner / rate));
        return corner == 0 ? 1.0 : (high ? s * s : 1.0) / (s * s + std::numbers::sqrt2 * s + 1.0);
    };
    return section(highpass, true) * section(lowpass, false);
}

// Each input hears a sine of whole cycles per block from its own output.
// Only input 0 is read at first, so the others' filters must catch up on
// blocks nobody read; played again and read whole, every sample agrees.
TEST_F(PlayedSequence, DeviceUnderTestFiltersAsTheFormulaSays) {
    constexpr uint32_t cycles[] = {1, 2, 3, 5, 8, 13, 19, 25}, blocks = 16;
    std::vector<std::vector<int32_t>> sines(8, std::vector<int32_t>(N));
    std::vector<const int32_t *> outputs;
    for (uint32_t n = 0; n < 8; outputs.push_back(sines[n++].data()))
        for (uint32_t t = 0; t < N; ++t)
            sines[n][t] = static_cast<int32_t>(std::lround(0x40000000 * std::cos(2 * pi * cycles[n] * t / N + 0.3)));
    const auto corner = [](double hz) { return hz == 0 ? std::string("off") : std::to_string(hz); };
    // The rate, the highpass and lowpass corners (0: none).
    const std::tuple<int32_t, double, double> cases[] = {
        {48000, 0, 3000}, {48000, 1000, 0}, {48000, 500, 5000}, {16000, 0, 2000}, {16000, 400, 0}};
    for (const auto &[rate, highpass, lowpass] : cases) {
        const std::string dut = "highpass=" + corner(highpass) + ",lowpass=" + corner(lowpass);
        SCOPED_TRACE(dut);
        open({"--speed", "0", "--outputs", "8", "--inputs", "8", "--dut", dut + ",gain=0,delay=0,noise=off"},
             VESK_LOOPBACK_NONE);
        ASSERT_EQ(vesk_control(client.get(), VESK_CONTROL_SAMPLE_RATE, rate), 0);
        const auto whole = capture(outputs, blocks, 8);
        ASSERT_EQ(vesk_control_output(client.get(), VESK_OUTPUT_START), 0);
        for (const uint32_t most : {5u, 5u, 2u}) ASSERT_EQ(read_input(client.get(), 1, most).count, most);
        const auto late = by_input(read_to_end(client.get(), 0xFF, 3), 8);
        for (uint32_t n = 0; n < 8; ++n) {
            EXPECT_TRUE(std::equal(late[n].begin(), late[n].end(), whole[n].end() - late[n].size())) << n;
            std::complex<double> heard = 0, played = 0;
            for (uint32_t t = 0; t < late[n].size(); ++t) {
                heard += static_cast<double>(late[n][t]) * std::polar(1.0, -2 * pi * cycles[n] * t / N);
                played += static_cast<double>(sines[n][t % N]) * std::polar(1.0, -2 * pi * cycles[n] * t / N);
            }
            // Off by less than 0.01 dB and 0.1 degree.
            const auto off = heard / played / butterworth(highpass, lowpass, 1.0 * rate * cycles[n] / N, rate);
            EXPECT_TRUE(std::abs(std::log10(std::abs(off))) < 0.0005 && std::abs(std::arg(off)) < pi / 1800) << off;
        }
    }
}

}  // namespace
