#!/usr/bin/python3
"""Sweeps the equalizer gain of each input channel, A to D, with the chip's
own PRBS7 pattern and prints each channel's best gain and clean window.

    sweep_channels.py --demo                   # the simulated board
    sweep_channels.py --board 0 --address 0x40 --dwell-ms 200

Exit status: 0 every channel has a clean window, 1 a channel has none (or
no clock: its sweep stopped), 2 the board or the chip failed (its message on
standard error).
"""
import argparse
import sys

import qdm7720a


def hex_or_decimal(text):
    return int(text, 0)


def main():
    parser = argparse.ArgumentParser(description="Sweep the equalizer gain of channels A to D.")
    parser.add_argument("--demo", action="store_true", help="use the simulated board")
    parser.add_argument("--board", type=int, default=0, help="board number (default 0)")
    parser.add_argument("--address", type=hex_or_decimal, default=0x40,
                        help="the chip's 7-bit I2C address (default 0x40)")
    parser.add_argument("--dwell-ms", type=int, default=100,
                        help="how long each gain is counted (default 100)")
    args = parser.parse_args()

    all_clean = True
    try:
        with qdm7720a.open(board=args.board, address=args.address, demo=args.demo) as chip:
            for channel in "ABCD":
                try:
                    sweep = chip.sweep(channel, generator="prbs7", dwell_ms=args.dwell_ms)
                except qdm7720a.RunStopped as stopped:  # no clock on the channel, say
                    all_clean = False
                    print(f"{channel}: {stopped}")
                    continue
                window = sweep.window
                if window:
                    print(f"{channel}: best gain 0x{sweep.best_gain:X}, "
                          f"clean 0x{window.first:X}-0x{window.last:X}, "
                          f"width {window.width}, margin {window.margin}")
                else:
                    all_clean = False
                    why = sweep.no_best_gain or f"fewest errors at 0x{sweep.best_gain:X}"
                    print(f"{channel}: no clean window ({why})")
    except qdm7720a.Error as error:
        print(f"sweep_channels.py: {error}", file=sys.stderr)
        return 2
    except KeyboardInterrupt:  # Ctrl+C: the sweep has put its registers back
        return 130
    return 0 if all_clean else 1


if __name__ == "__main__":
    sys.exit(main())
