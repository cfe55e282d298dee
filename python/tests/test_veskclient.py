# The Python module against a real vesksim on 127.0.0.1.
#
# Needs VESKSIM (path of the vesksim program) in the environment and the build
# folder's copy of the module on PYTHONPATH; python/tests/run.sh sets both,
# and stops a run that hangs.

import array
import itertools
import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest

import veskclient as vc

SOURCE_MODULE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")

BLOCK_SIZE = 64


# vesksim on 127.0.0.1, on a port of the system's choosing; it writes its port
# file whole, under a temporary name renamed into place.
class Simulator:
    def __init__(self, *options):
        self._folder = tempfile.TemporaryDirectory()
        port_file, deadline = os.path.join(self._folder.name, "port"), time.monotonic() + 10
        self._process = subprocess.Popen([os.environ["VESKSIM"], "--listen", "127.0.0.1:0", "--port-file",
                                          port_file, "--speed", "0", *options], stdin=subprocess.DEVNULL)
        while not os.path.exists(port_file):
            if self._process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("vesksim did not start listening")
            time.sleep(0.01)
        with open(port_file) as file:
            self.address = f"127.0.0.1:{file.read().strip()}"

    def stop(self):
        self._process.terminate()
        self._process.wait()
        self._folder.cleanup()


# A block that uses every bit of the 32-bit samples, signs included.
def pattern(seed):
    return [((seed * 7919 + i * 2654435761) & 0xFFFFFFFF) - 2**31 for i in range(BLOCK_SIZE)]


class SimulatorTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sim = Simulator()
        cls.addClassCleanup(cls.sim.stop)

    # A client connected with BLOCK_SIZE-sample blocks, at 48000 Hz, with the
    # server loopback and the Plenar-C3 codec running.
    def client(self, use_numpy=False):
        client = vc.Client(use_numpy=use_numpy)
        self.addCleanup(client.close)
        client.set_block_size(BLOCK_SIZE)
        client.connect(self.sim.address)
        word, mask = client.hardware_setup()
        client.set_hardware_setup((word & mask & ~0xF) | 5)
        client.set_sample_rate(48000)
        client.set_loopback(vc.LOOPBACK_SERVER)
        return client

    # Asserts the fields of the VeskError that call raises; None stands for
    # any message but an empty one.
    def assertVeskError(self, expected_code, expected_message, call, *args):
        with self.assertRaises(vc.VeskError) as caught:
            call(*args)
        error = caught.exception
        self.assertEqual(error.code, expected_code)
        self.assertEqual(error.code_text, vc.return_text(expected_code))
        self.assertEqual(error.message, expected_message or error.message or "a message")
        self.assertEqual(str(error), f"{error.function}: {error.code_text}: {error.message}")
        return error


class StagedSequenceTest(SimulatorTest):
    # (flags, channel blocks or None, block count, tag, captured)
    SEQUENCE = [
        (vc.STAGE_DATA | vc.STAGE_NO_CAPTURE, None, 3, 1, False),
        (vc.STAGE_DATA, [pattern(1), pattern(2)], 1, 2, True),
        (vc.STAGE_DATA, [pattern(3), pattern(4)], 4, 3, True),
        (vc.STAGE_DATA, [None, pattern(9)], 2, 4, True),
    ]

    # (tag, sequence number, channel 0 block, channel 1 block) of every captured block.
    def expected_blocks(self):
        blocks, position, silence = [], 0, [0] * BLOCK_SIZE
        for flags, channels, count, tag, captured in self.SEQUENCE:
            played = [silence if block is None else block for block in (channels or [None, None])]
            if captured:
                blocks += [(tag, position + k, played[0], played[1]) for k in range(count)]
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
            self.assertIsInstance(capture.samples, vc.numpy.ndarray if client.use_numpy else array.array)
            self.assertEqual((capture.channels, capture.samples.itemsize), ([0, 1], 4))
            self.assertLessEqual(capture.count, 3)
            got += [(capture.tag, capture.sequence + k, list(capture.block(k, 0)), list(capture.block(k, 1)))
                    for k in range(capture.count)]
        return got

    def test_every_captured_block_comes_back_sample_for_sample(self):
        # Blocks go out as lists and as standard arrays in turn.
        kinds = itertools.cycle([list, lambda block: array.array(vc._SAMPLE_TYPECODE, block)])
        client = self.client(use_numpy=False)
        self.assertEqual(self.play_sequence(client, lambda block: next(kinds)(block)), self.expected_blocks())
        self.assertVeskError(vc.END_OF_STREAM, "End-of-stream indication from server", client.read_input, 0b11)

    @unittest.skipIf(vc.numpy is None, "numpy is not installed")
    def test_numpy_blocks_go_out_and_come_back(self):
        client = self.client(use_numpy=True)
        self.assertEqual(self.play_sequence(client, convert=vc.numpy.array), self.expected_blocks())

    def test_stop_ends_the_stream_and_link_echoes(self):
        client = self.client()
        client.stage_reset()
        client.stage_output(vc.STAGE_DATA, [pattern(1), pattern(2)], 10000, 1)
        client.start_output()
        first = next(client.captures(0b01, max_blocks=1, poll_interval=0.01))
        self.assertEqual((first.tag, first.sequence), (1, 0))
        client.stop_output()
        self.assertLess(sum(c.count for c in client.captures(0b01, poll_interval=0.01)), 9999)
        self.assertEqual(client.link(b"\x05\x00\xffpayload"), b"\x05\x00\xffpayload")
        self.assertEqual(client.error_text, "Received 10-byte response")


class ErrorTest(SimulatorTest):
    def test_errors_of_a_new_instance(self):
        client = vc.Client()
        self.addCleanup(client.close)
        self.assertEqual(client.error_text, "")
        for text, expected in [("100%d %s", "100%d %s"), (None, "No error"), ("", "Error description not available")]:
            client.set_error_text(text)
            self.assertEqual(client.error_text, expected)
        cases = [(vc.INVALID_ARGUMENT, "Legal block sizes are 16 to 65536 samples per block", client.set_block_size, 15),
                 (vc.NOT_CONNECTED, "Must be connected to server to issue queries", client.channels),
                 (vc.INVALID_ARGUMENT, "First command byte must be non-zero.", client.link, b"\x00\x01")]
        for code, message, call, *args in cases:
            with self.subTest(message=message):
                error = self.assertVeskError(code, message, call, *args)
                self.assertEqual(client.error_text, message)
        self.assertEqual(error.function, "vesk_link")
        client.set_block_size(BLOCK_SIZE)
        self.assertVeskError(vc.SERVER_STATE, "No connection to server", client.stop_output)
        client.close()
        client.close()
        self.assertRaises(ValueError, client.set_block_size, 64)

    def test_refusals_keep_the_connection(self):
        client = self.client()
        self.assertVeskError(vc.INVALID_ARGUMENT, "Unsupported query code 0x00000063", client.query, 99)
        self.assertVeskError(vc.INVALID_ARGUMENT, None, client.read_input, 1 << 31, 1)
        self.assertEqual(client.channels(), (2, 2))
        # Blocks are checked before they reach the library.
        cases = [(ValueError, [[0] * (BLOCK_SIZE - 1)]), (ValueError, [[2**31] * BLOCK_SIZE]), (TypeError, [[0.5] * BLOCK_SIZE])]
        if vc.numpy is not None:
            cases += [(ValueError, [vc.numpy.full(BLOCK_SIZE, 2**31)]), (TypeError, [vc.numpy.zeros(BLOCK_SIZE)])]
        for exception, channels in cases:
            with self.subTest(exception=exception.__name__):
                self.assertRaises(exception, client.stage_output, vc.STAGE_DATA, channels, 1, 1)
        client.stage_reset()
        client.stage_output(vc.STAGE_DATA, [[-2**31] * BLOCK_SIZE], 1, 1)


# python3 -m veskclient info ADDRESS, run from the source folder, which has no
# library beside it: VESKCLIENT_LIBRARY names the library.
def run_info(address):
    return subprocess.run([sys.executable, "-m", "veskclient", "info", address], capture_output=True, text=True,
                          env=dict(os.environ, PYTHONPATH=SOURCE_MODULE, VESKCLIENT_LIBRARY=vc.library_path()), timeout=60)


class ModuleTest(unittest.TestCase):
    def test_the_build_folders_library_is_found_beside_the_module(self):
        self.assertEqual(os.path.dirname(vc.library_path()), os.path.dirname(os.environ["VESKSIM"]))

    def test_info_prints_what_the_server_reports_or_one_failure_line(self):
        for options, setup in [((), "0x12345678 (supported mask 0x7fffffff)"),
                               (("--hardware", "b"), "none (hardware without a set-up word)")]:
            with self.subTest(options=options):
                sim = Simulator("--setup", "0x12345678", "--supported", "0x7fffffff", *options)
                self.addCleanup(sim.stop)
                result = run_info(sim.address)
                self.assertEqual((result.returncode, result.stderr), (0, ""))
                self.assertEqual(result.stdout.splitlines(), [f"Server at {sim.address}", "Output channels: 2",
                                 "Input channels: 2", f"Set-up word: {setup}", "Playback state: 0"])
        # Failures are one line on standard error.
        with socket.socket() as unused:
            unused.bind(("127.0.0.1", 0))
            closed = f"127.0.0.1:{unused.getsockname()[1]}"
        for address, expected in [(closed, "Network error: Error after connecting to audio device: Connection refused"),
                                  ("nowhere:80", "Invalid argument: IP address is not valid")]:
            with self.subTest(address=address):
                result = run_info(address)
                self.assertEqual((result.returncode, result.stdout, result.stderr),
                                 (1, "", f"veskclient info {address}: vesk_connect: {expected}\n"))

    def test_texts_of_return_codes_and_loopbacks(self):
        self.assertEqual([vc.return_text(-3), vc.return_text(1), vc.loopback_text(1), vc.loopback_text(3, "other"),
                          vc.loopback_text(3)], ["Network error", "Unrecognized return value", "i2s (codec)", "other", None])


if __name__ == "__main__":
    unittest.main()
