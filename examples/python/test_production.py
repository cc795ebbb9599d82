"""Production check of one evaluation board with pytest: the chip answers
with its identity, takes a register file and reads it back, and the
equalizer of every input channel has a clean window wide enough.

    python3 -m pytest test_production.py                   # the simulated board
    QDM7720A_BOARD=0 python3 -m pytest test_production.py  # board 0 on USB

Environment: QDM7720A_BOARD (board number; unset: the simulated board),
QDM7720A_ADDRESS (the chip's 7-bit address, default 0x40),
QDM7720A_REGISTER_FILE (default production.txt beside this file),
QDM7720A_MIN_WIDTH (clean gains needed per channel, default 3),
QDM7720A_DWELL_MS (time counted at each gain, default 100).
"""
import os
import pathlib

import pytest
import qdm7720a

BOARD = os.environ.get("QDM7720A_BOARD")
ADDRESS = int(os.environ.get("QDM7720A_ADDRESS", "0x40"), 0)
REGISTER_FILE = os.environ.get("QDM7720A_REGISTER_FILE",
                               str(pathlib.Path(__file__).with_name("production.txt")))
MIN_WIDTH = int(os.environ.get("QDM7720A_MIN_WIDTH", "3"))
DWELL_MS = int(os.environ.get("QDM7720A_DWELL_MS", "100"))


@pytest.fixture(scope="module")
def chip():
    if BOARD is None:
        board = dict(demo=True, demo_address=ADDRESS)
    else:
        board = dict(board=int(BOARD))
    with qdm7720a.open(address=ADDRESS, **board) as chip:
        yield chip


@pytest.fixture(scope="module")
def loaded(chip):
    """The register file written, every register read back (Mismatch if not)."""
    return chip.load(REGISTER_FILE)


def test_identity(chip):
    assert chip.read(0x00) == 0x31, "device ID 3, revision 1"


def test_register_file_loads_and_reads_back(loaded):
    assert loaded.written > 0 and loaded.skipped == 0


@pytest.mark.parametrize("channel", "ABCD")
def test_clean_window(chip, loaded, channel):
    sweep = chip.sweep(channel, generator="prbs7", dwell_ms=DWELL_MS)
    assert sweep.window, f"no clean window: {sweep.no_best_gain or 'errors at every gain'}"
    window = sweep.window
    assert window.width >= MIN_WIDTH, (f"clean from 0x{window.first:X} to 0x{window.last:X} "
                                       f"only ({window.width} gains, {MIN_WIDTH} needed)")


def test_sweeps_leave_the_register_file_in_place(chip, loaded):
    assert chip.diff(REGISTER_FILE) == []
