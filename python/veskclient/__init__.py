"""Python binding of veskclient, the client library for the audio server of
Plenar audio test hardware, over its shared library (libveskclient.so).

    import veskclient
    with veskclient.Client() as client:
        client.set_block_size(1024)
        client.connect("127.0.0.1:1024")
        outputs, inputs = client.channels()

Every failing call raises VeskError, which carries the return code, the
code's text and the instance's message text. Captured samples come back as
numpy int32 arrays when numpy is installed, else as array.array of 32-bit
signed integers.

The shared library is the one named by the library argument, else the one
installed or built beside this package (see library_path), else the one
named by the environment variable VESKCLIENT_LIBRARY, else libveskclient.so
from the system's library path.

python3 -m veskclient info ADDRESS prints what a server reports.
"""

from __future__ import annotations

import array
import ctypes
import ctypes.util
import dataclasses
import operator
import os
import time
from collections.abc import Iterator, Sequence
from typing import Any, Optional, Union

try:
    import numpy
except ImportError:  # the standard library's array serves instead
    numpy = None

__all__ = ["VeskError", "Client", "Capture", "library_path", "load_library", "return_text",
           "loopback_text"]

# Return codes.
SUCCESS = 0
NOT_INITIALIZED = -1
SERVER_STATE = -2
NETWORK_ERROR = -3
INVALID_ARGUMENT = -4
VERSION_MISMATCH = -5
END_OF_STREAM = -6
SERVER_ERROR = -7
NOT_CONNECTED = -8
CONNECTED = -9
POWERED_DOWN = -10

# Codes of Client.control().
CONTROL_CONNECT_TIMEOUT = 0x1
CONTROL_PROGRESS_TIMEOUT = 0x2
CONTROL_SAMPLE_RATE = 0x4
CONTROL_LOOPBACK = 0x8
CONTROL_BLOCK_SIZE = 0x10
CONTROL_HARDWARE_SETUP = 0x100

LOOPBACK_NONE = 0
LOOPBACK_I2S = 1
LOOPBACK_SERVER = 2

MIN_BLOCK_SIZE = 16
MAX_BLOCK_SIZE = 65536

# Codes of Client.query().
QUERY_CHANNELS = 0x1
QUERY_PLAYBACK = 0x2
QUERY_SETUP = 0x4
PLAYBACK_HALTED = 4

# Flags of Client.stage_output().
STAGE_DATA = 0x100
STAGE_RAMP_UP = 0x200
STAGE_RAMP_DOWN = 0x400
STAGE_RESET = 0x800
STAGE_NO_CAPTURE = 0x1000
STAGE_LOOP_START = 0x8000

# Values of Client.control_output().
OUTPUT_START = 0x10000
OUTPUT_START_UNSYNCHRONIZED = 0x400000
OUTPUT_STOP = 0x220000

# Flags of Client.read_input().
INPUT_SERVER_BITS = 0x3000000
INPUT_24BIT = 0x4000000

MAX_CHANNELS = 32

_SAMPLE_TYPECODE = next(code for code in "il" if array.array(code).itemsize == 4)
_u32 = ctypes.c_uint32
_i32 = ctypes.c_int32
_u32_p = ctypes.POINTER(_u32)
_i32_p = ctypes.POINTER(_i32)


class VeskError(Exception):
    """A library call that did not return SUCCESS.

    function: the C function that failed (for example "vesk_connect");
    code: its return code; code_text: the code's text (vesk_returntext);
    message: the instance's message text at the failure (vesk_errtext).
    """

    def __init__(self, function: str, code: int, code_text: str, message: str) -> None:
        super().__init__(f"{function}: {code_text}: {message}")
        self.function = function
        self.code = code
        self.code_text = code_text
        self.message = message


def _beside_package() -> Optional[str]:
    """The library that cmake wrote into _location.py, relative to this
    folder: the installed one, or the build folder's one."""
    try:
        from ._location import LIBRARY
    except ImportError:  # the source tree: nothing was installed or built here
        return None
    path = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), LIBRARY))
    return path if os.path.exists(path) else None


def library_path() -> Optional[str]:
    """The library that load_library() loads without a path: the one beside
    this package, else $VESKCLIENT_LIBRARY, else the system's (a name for
    the dynamic loader); None when there is none."""
    return _beside_package() or os.environ.get("VESKCLIENT_LIBRARY") or ctypes.util.find_library("veskclient")


def load_library(path: Optional[str] = None) -> ctypes.CDLL:
    """Loads libveskclient.so (path, else library_path()) and declares its
    functions."""
    path = path or library_path()
    if not path:
        raise OSError("libveskclient.so not found: set VESKCLIENT_LIBRARY to its path")
    lib = ctypes.CDLL(path)
    signatures = {
        "vesk_init": (ctypes.c_void_p, [_u32, ctypes.c_char_p]),
        "vesk_shutdown": (None, [ctypes.c_void_p]),
        "vesk_errtext": (ctypes.c_char_p, [ctypes.c_void_p]),
        "vesk_returntext": (ctypes.c_char_p, [ctypes.c_void_p, _i32]),
        "vesk_loopbacktext": (ctypes.c_char_p, [ctypes.c_void_p, _i32, ctypes.c_char_p]),
        "vesk_control": (_i32, [ctypes.c_void_p, _u32, _i32]),
        "vesk_connect": (_i32, [ctypes.c_void_p, ctypes.c_char_p]),
        "vesk_query": (_i32, [ctypes.c_void_p, _u32, _u32_p, _u32_p, _u32_p, _u32_p]),
        "vesk_link": (_i32, [ctypes.c_void_p, ctypes.c_char_p, _u32, ctypes.c_char_p]),
        "vesk_stage_output": (_i32, [ctypes.c_void_p, _u32, _u32, ctypes.POINTER(_i32_p), _u32, _u32]),
        "vesk_control_output": (_i32, [ctypes.c_void_p, _u32]),
        "vesk_read_input": (_i32, [ctypes.c_void_p, _u32, ctypes.c_void_p, _u32_p, _u32, _u32_p, _u32_p]),
    }
    for name, (restype, argtypes) in signatures.items():
        function = getattr(lib, name)
        function.restype = restype
        function.argtypes = argtypes
    # Variadic, so without argtypes: each call wraps its arguments itself.
    lib.vesk_set_errtext.restype = None
    return lib


_default_library = None


def _library(library: Union[None, str, ctypes.CDLL] = None) -> ctypes.CDLL:
    global _default_library
    if library is not None:
        return library if isinstance(library, ctypes.CDLL) else load_library(library)
    if _default_library is None:
        _default_library = load_library()
    return _default_library


def _text(raw):
    return None if raw is None else raw.decode("utf-8", "replace")


def return_text(code: int, library: Union[None, str, ctypes.CDLL] = None) -> str:
    """The text of a return code ("Success", "Network error", ...)."""
    return _text(_library(library).vesk_returntext(None, code))


def loopback_text(value: int, fallback: Optional[str] = None,
                  library: Union[None, str, ctypes.CDLL] = None) -> Optional[str]:
    """The name of a loopback value ("none", "i2s (codec)", "server"), or
    fallback for any other value."""
    raw = None if fallback is None else fallback.encode()
    return _text(_library(library).vesk_loopbacktext(None, value, raw))


@dataclasses.dataclass
class Capture:
    """The blocks of one read_input: count blocks of the channels numbered in
    channels (ascending), block_size samples each, all from the staged
    segment with this tag; sequence numbers the first block. samples holds
    them flat, block after block and, within a block, channel after
    channel."""

    count: int
    tag: int
    sequence: int
    channels: list[int]
    block_size: int
    samples: Any = dataclasses.field(repr=False)

    def block(self, index: int, channel: int) -> Any:
        """The samples of block index (0 to count - 1) of channel number
        channel."""
        if not 0 <= index < self.count:
            raise IndexError(f"block {index} out of 0..{self.count - 1}")
        start = (index * len(self.channels) + self.channels.index(channel)) * self.block_size
        return self.samples[start:start + self.block_size]


def _check_range(lowest, highest):
    if lowest < -2**31 or highest > 2**31 - 1:
        raise ValueError("samples must fit in 32 bits (signed)")


def _channel_numbers(mask):
    return [ch for ch in range(MAX_CHANNELS) if mask >> ch & 1]


class Client:
    """One instance of the library (vesk_init .. vesk_shutdown) with its
    connection. Use it from one thread at a time."""

    def __init__(self, debug_mask: int = 0, log_path: Union[None, str, os.PathLike] = None,
                 library: Union[None, str, ctypes.CDLL] = None, use_numpy: Optional[bool] = None) -> None:
        self._lib = _library(library)
        self.use_numpy = numpy is not None if use_numpy is None else use_numpy
        if self.use_numpy and numpy is None:
            raise ImportError("numpy is not installed")
        self.block_size = 0
        handle = self._lib.vesk_init(debug_mask, None if log_path is None else os.fsencode(log_path))
        if not handle:
            raise VeskError("vesk_init", NOT_INITIALIZED, return_text(NOT_INITIALIZED, self._lib),
                            _text(self._lib.vesk_errtext(None)))
        self._handle = handle

    # Instance and texts

    def close(self) -> None:
        """Disconnects and ends the instance (vesk_shutdown); idempotent."""
        if self._handle:
            self._lib.vesk_connect(self._handle, None)
            self._lib.vesk_shutdown(self._handle)
            self._handle = None

    def __enter__(self) -> Client:
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def __del__(self):
        if getattr(self, "_handle", None):
            self.close()

    def _instance(self):
        if not self._handle:
            raise ValueError("the client has been closed")
        return self._handle

    @property
    def error_text(self) -> str:
        """The instance's message text (vesk_errtext)."""
        return _text(self._lib.vesk_errtext(self._instance()))

    def set_error_text(self, text: Optional[str]) -> None:
        """Sets the instance's message text (vesk_set_errtext); None writes
        "No error". The text is taken literally."""
        if text is None:
            self._lib.vesk_set_errtext(ctypes.c_void_p(self._instance()), None)
        else:
            self._lib.vesk_set_errtext(ctypes.c_void_p(self._instance()), b"%s", str(text).encode())

    def _check(self, function, code):
        if code != SUCCESS:
            raise VeskError(function, code, return_text(code, self._lib), self.error_text)

    # Settings and connection

    def control(self, code: int, value: int) -> None:
        """vesk_control: one setting per call (the CONTROL_* codes)."""
        self._check("vesk_control", self._lib.vesk_control(self._instance(), code, value))
        if code == CONTROL_BLOCK_SIZE:
            self.block_size = value

    def set_connect_timeout(self, ms: int) -> None:
        self.control(CONTROL_CONNECT_TIMEOUT, ms)

    def set_progress_timeout(self, ms: int) -> None:
        self.control(CONTROL_PROGRESS_TIMEOUT, ms)

    def set_block_size(self, samples: int) -> None:
        self.control(CONTROL_BLOCK_SIZE, samples)

    def set_sample_rate(self, hz: int) -> None:
        self.control(CONTROL_SAMPLE_RATE, hz)

    def set_loopback(self, value: int) -> None:
        self.control(CONTROL_LOOPBACK, value)

    def set_hardware_setup(self, word: int) -> None:
        """Sends a Plenar-C3 set-up word (an unsigned 32-bit value)."""
        self.control(CONTROL_HARDWARE_SETUP, ctypes.c_int32(word).value)

    def connect(self, address: str) -> None:
        """Connects to "ipaddr:port" (vesk_connect); set the block size
        first."""
        self._check("vesk_connect", self._lib.vesk_connect(self._instance(), address.encode()))

    def disconnect(self) -> None:
        self._check("vesk_connect", self._lib.vesk_connect(self._instance(), None))

    # Queries and device link

    def query(self, code: int) -> tuple[int, int, int, int]:
        """vesk_query: the four values of the server's answer."""
        values = [_u32() for _ in range(4)]
        self._check("vesk_query", self._lib.vesk_query(
            self._instance(), code, *(ctypes.byref(v) for v in values)))
        return tuple(v.value for v in values)

    def channels(self) -> tuple[int, int]:
        """(output channels, input channels)."""
        return self.query(QUERY_CHANNELS)[:2]

    def playback_state(self) -> int:
        """The playback state; PLAYBACK_HALTED once the codec has halted."""
        return self.query(QUERY_PLAYBACK)[0]

    def hardware_setup(self) -> tuple[int, int]:
        """(set-up word, supported mask) of Plenar-C3 hardware; older
        hardware refuses with SERVER_ERROR."""
        return self.query(QUERY_SETUP)[:2]

    def link(self, command: bytes) -> bytes:
        """vesk_link: sends the bytes of command (first byte non-zero) to the
        device and returns its response of the same length."""
        command = bytes(command)
        response = ctypes.create_string_buffer(max(len(command), 1))
        self._check("vesk_link", self._lib.vesk_link(self._instance(), command, len(command), response))
        return response.raw[:len(command)]

    # Output

    def _block_pointer(self, samples, keep):
        """A pointer to one block of int32 samples; copies unless samples is
        already a contiguous int32 buffer. Values that do not fit in 32 bits
        are refused rather than cut."""
        if len(samples) != self.block_size:
            raise ValueError(f"a block holds {self.block_size} samples, not {len(samples)}")
        if numpy is not None and isinstance(samples, numpy.ndarray):
            if samples.dtype.kind not in "iu":
                raise TypeError(f"samples must be integers, not {samples.dtype}")
            if samples.dtype != numpy.int32:
                _check_range(int(samples.min()), int(samples.max()))
            block = numpy.ascontiguousarray(samples, dtype=numpy.int32)
            keep.append(block)
            return block.ctypes.data_as(_i32_p)
        if isinstance(samples, array.array) and samples.typecode == _SAMPLE_TYPECODE:
            block = (_i32 * self.block_size).from_buffer(samples)
        else:
            samples = [operator.index(value) for value in samples]
            if samples:
                _check_range(min(samples), max(samples))
            block = (_i32 * self.block_size)(*samples)
        keep.append(block)
        return ctypes.cast(block, _i32_p)

    def stage_output(self, flags: int, channels: Optional[Sequence[Any]] = None, block_count: int = 1,
                     tag: int = 0) -> None:
        """vesk_stage_output: stages one segment of block_count blocks.

        channels lists one entry per output channel from channel 0: a block
        of block_size samples (any sequence of ints, array or numpy array),
        or None for a channel without data; None or [] for no data at all."""
        channels = list(channels or [])
        keep = []
        table = (_i32_p * len(channels))() if channels else None
        for index, samples in enumerate(channels):
            if samples is not None:
                table[index] = self._block_pointer(samples, keep)
        self._check("vesk_stage_output", self._lib.vesk_stage_output(
            self._instance(), flags, len(channels), table, block_count, tag))

    def stage_reset(self) -> None:
        self.stage_output(STAGE_RESET, None, 0, 0)

    def control_output(self, value: int) -> None:
        """vesk_control_output: OUTPUT_START, OUTPUT_START_UNSYNCHRONIZED or
        OUTPUT_STOP."""
        self._check("vesk_control_output", self._lib.vesk_control_output(self._instance(), value))

    def start_output(self, synchronized: bool = True) -> None:
        self.control_output(OUTPUT_START if synchronized else OUTPUT_START_UNSYNCHRONIZED)

    def stop_output(self) -> None:
        self.control_output(OUTPUT_STOP)

    # Input

    def _sample_buffer(self, length):
        if self.use_numpy:
            buffer = numpy.empty(length, dtype=numpy.int32)
            return buffer, buffer.ctypes.data
        buffer = array.array(_SAMPLE_TYPECODE, bytes(4 * length))
        return buffer, buffer.buffer_info()[0]

    def read_input(self, channel_mask: int, max_blocks: int = 10, flags: int = 0) -> Capture:
        """vesk_read_input: up to max_blocks captured blocks of the channels
        in channel_mask. Returns a Capture, with count 0 while nothing new
        has been captured; raises VeskError with END_OF_STREAM once playback
        has ended and every block has been read."""
        channels = _channel_numbers(channel_mask)
        length = max(max_blocks, 0) * len(channels) * self.block_size
        buffer, address = self._sample_buffer(length)
        count, tag, sequence = _u32(max_blocks), _u32(), _u32()
        self._check("vesk_read_input", self._lib.vesk_read_input(
            self._instance(), channel_mask, address, ctypes.byref(count), flags,
            ctypes.byref(tag), ctypes.byref(sequence)))
        used = count.value * len(channels) * self.block_size
        if self.use_numpy:
            buffer = buffer[:used]
        else:
            del buffer[used:]
        return Capture(count.value, tag.value, sequence.value, channels, self.block_size, buffer)

    def captures(self, channel_mask: int, max_blocks: int = 10, flags: int = 0,
                 poll_interval: float = 0.05) -> Iterator[Capture]:
        """Yields every Capture that holds blocks until the end of the stream,
        waiting poll_interval seconds whenever nothing new is ready."""
        while True:
            try:
                capture = self.read_input(channel_mask, max_blocks, flags)
            except VeskError as error:
                if error.code == END_OF_STREAM:
                    return
                raise
            if capture.count:
                yield capture
            else:
                time.sleep(poll_interval)
