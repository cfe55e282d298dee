"""python3 -m veskclient info ADDRESS: connects to an audio server and prints
its channel counts, set-up word and playback state. A failure is one line
on standard error and status 1."""

from __future__ import annotations

import argparse
import sys
from typing import Optional

from . import PLAYBACK_HALTED, SERVER_ERROR, Client, VeskError

# Any legal block size: the query needs one before connecting.
_BLOCK_SIZE = 1024


def info_lines(client: Client, address: str) -> list[str]:
    """What info prints for a connected client."""
    outputs, inputs = client.channels()
    try:
        word, mask = client.hardware_setup()
        setup = f"0x{word:08x} (supported mask 0x{mask:08x})"
    except VeskError as error:
        if error.code != SERVER_ERROR:
            raise
        setup = "none (hardware without a set-up word)"
    state = client.playback_state()
    return [f"Server at {address}",
            f"Output channels: {outputs}",
            f"Input channels: {inputs}",
            f"Set-up word: {setup}",
            f"Playback state: {state}" + (" (halted)" if state == PLAYBACK_HALTED else "")]


def main(argv: Optional[list[str]] = None) -> int:
    parser = argparse.ArgumentParser(prog="python3 -m veskclient",
                                     description="A quick look at an audio server.")
    commands = parser.add_subparsers(dest="command", required=True)
    info = commands.add_parser("info", help="print the channel counts, set-up word and playback state")
    info.add_argument("address", metavar="ADDRESS", help="ipaddr:port of the audio server")
    arguments = parser.parse_args(argv)

    try:
        with Client() as client:
            client.set_block_size(_BLOCK_SIZE)
            client.connect(arguments.address)
            lines = info_lines(client, arguments.address)
    except (VeskError, OSError) as error:
        print(f"veskclient info {arguments.address}: {error}", file=sys.stderr)
        return 1
    print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())
