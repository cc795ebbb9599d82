"""The module on the real USB path: hidapi is the tests' stand-in, preloaded,
whose board carries its chip at 0x48 (address byte 0x90)."""
import os, re, shlex, subprocess
import pytest
import qdm7720a as q


@pytest.fixture(autouse=True)
def standin(monkeypatch):
    assert "hidstandin" in os.environ.get("LD_PRELOAD", "")
    monkeypatch.setenv("QDM_STANDIN_ADDRESS", "0x48")  # read when the first board object opens


def cli(*args):
    return subprocess.run(["qdm7720a-cli", "--address", "0x48", "--timeout-ms", "200", *args],
                          capture_output=True, text=True)


def test_boards_among_other_devices(monkeypatch):
    monkeypatch.setenv("QDM_STANDIN_BOARDS", "2")
    monkeypatch.setenv("QDM_STANDIN_OTHERS", "09AA:1234,1234:2007")
    assert q.boards() == [q.BoardInfo(i, f"sim:board{i}", f"SIM000{i}", "2.0", "2010-01-15") for i in (0, 1)]
    with q.open(board=1, address=0x48) as chip:
        with q.open(board=0, address=0x48) as other:
            assert (chip.read(0), other.read(0)) == (0x31, 0x31)
        assert chip.read(0) == 0x31  # hidapi is still there for it


@pytest.mark.parametrize("faults,command,call,kind", [
    ("", "dump --all", lambda c: c.dump(all=True), None),
    ("stale", "read 0 100", lambda c: c.read(0, 100), None),
    ("unplug@3", "dump --all", lambda c: c.dump(all=True), q.BoardGone),
    ("late@2", "write 0x10 " + " ".join(map(str, range(70))), lambda c: c.write(0x10, bytes(range(70))), q.Timeout),
    ("error@1", "channel", lambda c: c.channel(), q.BoardGone),
    ("nak", "led", lambda c: c.led(), None),
    ("", "set 6 'transmit current=3' 'transmit preemphasis=0.375mA'", lambda c: c.set(6, {"Transmit Current": 3, "TRANSMIT PREEMPHASIS": "0.375mA"}), None),
    ("nak", "sweep --channel B --generator prbs7", lambda c: c.sweep("b", generator="prbs7"), q.NotAcknowledged),
])
def test_as_the_tool_on_usb(monkeypatch, tmp_path, faults, command, call, kind):
    monkeypatch.setenv("QDM_STANDIN_FAULTS", faults)
    ours, theirs = tmp_path / "module.trace", tmp_path / "tool.trace"
    failure = None
    with q.open(address=0x48, timeout_ms=200, trace=ours) as chip:
        if kind:
            failure = pytest.raises(kind, call, chip).value
        else:
            call(chip)
    said = cli("--trace", str(theirs), *shlex.split(command)).stderr
    assert said == (f"qdm7720a-cli: {failure}\n" if failure else "")
    untimed = lambda path: re.sub(r"(?m)^[0-9:.]+ ", "", path.read_text())
    assert untimed(ours) == untimed(theirs)


def test_smbus_errno():
    with q.SMBus() as bus:
        assert bus.read_i2c_block_data(0x48, 0, 3) == [0x31, 0x00, 0x0C]
        with pytest.raises(OSError) as nak:
            bus.write_byte_data(0x40, 5, 1)
        assert nak.value.errno == 121 and "write of 1 byte to 0x05 at 0x40" in str(nak.value)


def test_sweep_on_usb_finds_the_cable_and_restores():
    with q.open(address=0x48) as chip:
        before = chip.read(0x02, 8)
        s = chip.sweep("B", generator="prbs7", dwell_ms=20, settle_ms=2)
        assert (s.best_gain, s.window.width) == (7, 5) and chip.read(0x02, 8) == before
