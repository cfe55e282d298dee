"""The Python module against a real vesksim on 127.0.0.1.

Needs VESKSIM (path of the vesksim program) and VESKCLIENT_LIBRARY (path of
libveskclient.so) in the environment; python/tests/run.sh sets both.
"""

import array
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import veskclient as vc  # noqa: E402

BLOCK_SIZE = 64


class Simulator:
    """vesksim on 127.0.0.1, on a port of the system's choosing."""

    def __init__(self, *options):
        program = os.environ.get("VESKSIM")
        if not program:
            raise RuntimeError("set VESKSIM to the path of the vesksim program")
        self._folder = tempfile.TemporaryDirectory()
        port_file = os.path.join(self._folder.name, "port")
        self._process = subprocess.Popen(
            [program, "--listen", "127.0.0.1:0", "--port-file", port_file, "--speed", "0", *options],
            stdin=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not _read_port(port_file):
            if self._process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("vesksim did not start listening")
            time.sleep(0.01)
        self.address = f"127.0.0.1:{_read_port(port_file)}"

    def stop(self):
        if self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()
        self._folder.cleanup()


def _read_port(path):
    try:
        with open(path) as file:
            text = file.read().strip()
    except FileNotFoundError:
        return None
    return text if text.isdigit() and text != "0" else None


def _time_out(*_):
    raise TimeoutError("the test took longer than 60 s")


def connected_client(address, use_numpy=False):
    """A client connected with BLOCK_SIZE-sample blocks, at 48000 Hz, with the
    server loopback (on Plenar-C3 hardware the codec is set running first)."""
    client = vc.Client(use_numpy=use_numpy)
    client.set_block_size(BLOCK_SIZE)
    client.connect(address)
    try:
        word, mask = client.hardware_setup()
    except vc.VeskError as error:
        if error.code != vc.SERVER_ERROR:
            raise
    else:
        client.set_hardware_setup((word & mask & ~0xF) | 5)
    client.set_sample_rate(48000)
    client.set_loopback(vc.LOOPBACK_SERVER)
    return client


def pattern(seed):
    """A block that uses every bit of the 32-bit samples, signs included."""
    return [((seed * 7919 + i * 2654435761) & 0xFFFFFFFF) - 2**31 for i in range(BLOCK_SIZE)]


def ramped(samples, rising):
    """What the library makes of a block staged with a ramp flag."""
    out = list(samples)
    gain, step = 0.0, 1.0 / BLOCK_SIZE
    for j in range(BLOCK_SIZE):
        k = j if rising else BLOCK_SIZE - 1 - j
        out[k] = int(out[k] * gain)
        gain = min(gain + step, 1.0)
    return out


class SimulatorTest(unittest.TestCase):
    options = ()

    @classmethod
    def setUpClass(cls):
        cls.sim = Simulator(*cls.options)

    @classmethod
    def tearDownClass(cls):
        cls.sim.stop()

    def setUp(self):
        # A stream that never ends fails the test instead of hanging it.
        signal.signal(signal.SIGALRM, _time_out)
        signal.alarm(60)
        self.addCleanup(signal.alarm, 0)

    def client(self, **kwargs):
        client = connected_client(self.sim.address, **kwargs)
        self.addCleanup(client.close)
        return client

    def assertVeskError(self, expected_code, expected_message, call, *args):
        """Asserts the fields of the VeskError that call raises; a message
        ending in "*" is matched as a prefix."""
        with self.assertRaises(vc.VeskError) as caught:
            call(*args)
        error = caught.exception
        self.assertEqual(error.code, expected_code)
        self.assertEqual(error.code_text, vc.return_text(expected_code))
        if expected_message.endswith("*"):
            self.assertTrue(error.message.startswith(expected_message[:-1]), error.message)
        else:
            self.assertEqual(error.message, expected_message)
        self.assertEqual(str(error), f"{error.function}: {error.code_text}: {error.message}")
        return error


class StagedSequenceTest(SimulatorTest):
    # (flags, channel blocks or None, block count, tag, captured)
    SEQUENCE = [
        (vc.STAGE_DATA | vc.STAGE_NO_CAPTURE, None, 3, 1, False),
        (vc.STAGE_RAMP_UP, [pattern(1), pattern(2)], 1, 2, True),
        (vc.STAGE_DATA, [pattern(3), pattern(4)], 4, 3, True),
        (vc.STAGE_DATA, [pattern(5), pattern(6)], 1, 4, True),
        (vc.STAGE_DATA, [pattern(7), pattern(8)], 1, 4, True),
        (vc.STAGE_DATA, [None, pattern(9)], 2, 5, True),
        (vc.STAGE_RAMP_DOWN | vc.STAGE_NO_CAPTURE, [pattern(10), pattern(11)], 1, 6, False),
        (vc.STAGE_RAMP_DOWN, [pattern(12), None], 1, 7, True),
        (vc.STAGE_DATA | vc.STAGE_NO_CAPTURE, None, 2, 8, False),
    ]

    def expected_blocks(self):
        """(tag, sequence number, channel 0 block, channel 1 block) of every
        captured block."""
        blocks, position = [], 0
        silence = [0] * BLOCK_SIZE
        for flags, channels, count, tag, captured in self.SEQUENCE:
            played = [silence if block is None else block for block in (channels or [None, None])]
            if flags & (vc.STAGE_RAMP_UP | vc.STAGE_RAMP_DOWN):
                played = [ramped(block, bool(flags & vc.STAGE_RAMP_UP)) for block in played]
            for k in range(count):
                if captured:
                    blocks.append((tag, position + k, played[0], played[1]))
            position += count
        return blocks

    def play_sequence(self, client, convert=list):
        self.assertEqual(client.channels(), (2, 2))
        client.stage_reset()
        for flags, channels, count, tag, _ in self.SEQUENCE:
            blocks = channels and [None if block is None else convert(block) for block in channels]
            client.stage_output(flags, blocks, count, tag)
        client.start_output()
        got = []
        for capture in client.captures(0b11, max_blocks=3, poll_interval=0.01):
            self.assertEqual(capture.channels, [0, 1])
            self.assertIsInstance(capture.samples, vc.numpy.ndarray if client.use_numpy else array.array)
            self.assertLessEqual(capture.count, 3)
            for k in range(capture.count):
                got.append((capture.tag, capture.sequence + k,
                            list(capture.block(k, 0)), list(capture.block(k, 1))))
        return got

    def test_every_captured_block_comes_back_sample_for_sample(self):
        client = self.client()
        self.assertEqual(self.play_sequence(client), self.expected_blocks())
        self.assertVeskError(vc.END_OF_STREAM, "End-of-stream indication from server",
                             client.read_input, 0b11)

    def test_blocks_come_back_as_standard_arrays(self):
        client = self.client(use_numpy=False)
        client.stage_reset()
        client.stage_output(vc.STAGE_DATA, [array.array("i", pattern(1)), pattern(2)], 2, 9)
        client.start_output()
        captures = list(client.captures(0b10, poll_interval=0.01))
        self.assertEqual(sum(c.count for c in captures), 2)
        self.assertIsInstance(captures[0].samples, array.array)
        self.assertEqual(captures[0].samples.itemsize, 4)
        self.assertEqual(list(captures[0].block(0, 1)), pattern(2))

    @unittest.skipIf(vc.numpy is None, "numpy is not installed")
    def test_numpy_blocks_go_out_and_come_back(self):
        client = self.client(use_numpy=True)
        self.assertEqual(self.play_sequence(client, convert=vc.numpy.array), self.expected_blocks())

    def test_stopped_playback_ends_the_stream_and_halts(self):
        client = self.client()
        client.stage_reset()
        client.stage_output(vc.STAGE_DATA, [pattern(1), pattern(2)], 10000, 1)
        client.start_output()
        first = next(client.captures(0b01, max_blocks=1, poll_interval=0.01))
        self.assertEqual((first.tag, first.sequence), (1, 0))
        client.stop_output()
        received = sum(c.count for c in client.captures(0b01, poll_interval=0.01))
        self.assertLess(received, 9999)
        deadline = time.monotonic() + 5
        while client.playback_state() != vc.PLAYBACK_HALTED:
            self.assertLess(time.monotonic(), deadline, "the codec never halted")
            time.sleep(0.01)

    def test_link_echoes_the_command(self):
        client = self.client()
        self.assertEqual(client.link(b"\x05\x00\xffpayload"), b"\x05\x00\xffpayload")
        self.assertEqual(client.error_text, "Received 10-byte response")


class ErrorTest(SimulatorTest):
    def test_errors_of_a_new_instance(self):
        client = vc.Client()
        self.addCleanup(client.close)
        cases = [
            (vc.INVALID_ARGUMENT, "Legal block sizes are 16 to 65536 samples per block",
             client.set_block_size, 15),
            (vc.INVALID_ARGUMENT, "Unsupported argument 0x00000020 to vesk_control",
             client.control, 0x20, 1),
            (vc.NOT_CONNECTED, "Must be connected to server to issue queries", client.channels),
            (vc.NOT_CONNECTED, "Must be connected to server to change this setting (0x00000004)",
             client.set_sample_rate, 48000),
            (vc.INVALID_ARGUMENT, "Must specify block size prior to connecting to a server",
             client.connect, self.sim.address),
            (vc.SERVER_STATE, "Cannot set data before setting block size", client.start_output),
            (vc.INVALID_ARGUMENT, "First command byte must be non-zero.", client.link, b"\x00\x01"),
        ]
        for code, message, call, *args in cases:
            with self.subTest(message=message):
                error = self.assertVeskError(code, message, call, *args)
                self.assertEqual(client.error_text, message)
        self.assertEqual(error.function, "vesk_link")

    def test_connection_failures(self):
        client = vc.Client()
        self.addCleanup(client.close)
        client.set_block_size(BLOCK_SIZE)
        client.set_connect_timeout(2000)
        with socket.socket() as unused:
            unused.bind(("127.0.0.1", 0))
            closed_port = unused.getsockname()[1]
        error = self.assertVeskError(vc.NETWORK_ERROR, "Error *",
                                     client.connect, f"127.0.0.1:{closed_port}")
        self.assertIn("connecting to audio device", error.message)
        self.assertVeskError(vc.INVALID_ARGUMENT, "TCP port must be specified", client.connect, "127.0.0.1")
        self.assertVeskError(vc.SERVER_STATE, "No connection to server", client.stop_output)

    def test_refusals_of_the_server_keep_the_connection(self):
        client = self.client()
        cases = [
            ("query code", client.query, 99),
            ("block count", client.read_input, 0b01, 0),
            ("missing channel", client.read_input, 1 << 31, 1),
        ]
        for name, call, *args in cases:
            with self.subTest(name):
                with self.assertRaises(vc.VeskError) as caught:
                    call(*args)
                self.assertEqual(caught.exception.code, vc.INVALID_ARGUMENT)
                self.assertTrue(caught.exception.message)
        self.assertEqual(client.channels(), (2, 2))

    def test_staging_while_playing_is_refused(self):
        client = self.client()
        client.stage_reset()
        client.stage_output(vc.STAGE_DATA, [pattern(1)], 10000, 1)
        client.start_output()
        self.addCleanup(client.stop_output)
        with self.assertRaises(vc.VeskError) as caught:
            client.stage_output(vc.STAGE_DATA, [pattern(2)], 1, 2)
        self.assertEqual(caught.exception.code, vc.SERVER_STATE)
        self.assertEqual(caught.exception.message, client.error_text)

    def test_second_client_is_refused_as_busy(self):
        self.client()
        second = vc.Client()
        self.addCleanup(second.close)
        second.set_block_size(BLOCK_SIZE)
        with self.assertRaises(vc.VeskError) as caught:
            second.connect(self.sim.address)
        self.assertEqual(caught.exception.code, vc.SERVER_STATE)
        self.assertIn("busy", caught.exception.message)

    def test_blocks_are_checked_before_they_reach_the_library(self):
        client = self.client()
        cases = [
            (ValueError, [[0] * (BLOCK_SIZE - 1)]),
            (ValueError, [[2**31] * BLOCK_SIZE]),
            (TypeError, [[0.5] * BLOCK_SIZE]),
        ]
        if vc.numpy is not None:
            cases += [(ValueError, [vc.numpy.full(BLOCK_SIZE, 2**31)]),
                      (TypeError, [vc.numpy.zeros(BLOCK_SIZE)])]
        for exception, channels in cases:
            with self.subTest(exception=exception.__name__):
                self.assertRaises(exception, client.stage_output, vc.STAGE_DATA, channels, 1, 1)
        client.stage_reset()
        client.stage_output(vc.STAGE_DATA, [[-2**31] * BLOCK_SIZE], 1, 1)

    def test_a_closed_client_refuses_every_call(self):
        client = vc.Client()
        client.close()
        client.close()
        self.assertRaises(ValueError, client.set_block_size, 64)


class TextTest(unittest.TestCase):
    def test_return_texts(self):
        texts = ["Success", "Not initialized", "Audio server state", "Network error",
                 "Invalid argument", "Version mismatch", "End of stream", "Error from server",
                 "Not connected", "Connected", "Audio subsystem powered down"]
        for code, text in zip(range(0, -11, -1), texts):
            self.assertEqual(vc.return_text(code), text)
        for code in (1, -11):
            self.assertEqual(vc.return_text(code), "Unrecognized return value")

    def test_loopback_texts(self):
        cases = [(0, None, "none"), (1, None, "i2s (codec)"), (2, None, "server"),
                 (3, "other", "other"), (3, None, None)]
        for value, fallback, text in cases:
            self.assertEqual(vc.loopback_text(value, fallback), text)

    def test_message_text_is_set_literally(self):
        client = vc.Client()
        self.addCleanup(client.close)
        self.assertEqual(client.error_text, "")
        cases = [("100%d %s", "100%d %s"), (None, "No error"), ("", "Error description not available")]
        for text, expected in cases:
            client.set_error_text(text)
            self.assertEqual(client.error_text, expected)


if __name__ == "__main__":
    unittest.main()
