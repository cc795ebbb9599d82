"""The module on the demo board: each method, each failure with the tool's
message, the tool's trace, other threads while the board waits."""
import os, re, subprocess, threading, time
import pytest
import qdm7720a as q

AT48 = dict(demo=True, demo_address=0x48, address=0x48)  # address byte 0x90
CLI = ["qdm7720a-cli", "--demo", "--demo-address", "0x48", "--address", "0x48"]


def cli(*args):
    return subprocess.run(CLI + list(args), capture_output=True, text=True)


def test_each_method_at_0x48():
    with q.open(**AT48) as chip:
        assert (chip.read(0x00), chip.read(0x00, 3), len(chip.read(0, 100))) == (0x31, b"\x31\x00\x0c", 100)
        chip.write(0x10, bytes(range(1, 71)), read_back=True)  # two transfers each way
        assert chip.read(0x4B, 2) == bytes([60, 61])
        chip.write(0x06, 0x34)
        assert [(f.name, f.value, f.meaning) for f in chip.decode(0x06)] == [
            ("Transmit PreEmphasis", 3, "0.375 mA"), ("Transmit Current", 4, "10.500 mA")]
        assert chip.decode(0x02, 0x0D) == q.decode(0x02, 0x0D)
        assert q.decode(0x02, 0x0D)[-1][:4] == ("Channel Select", "1:0", 1, "B")
        assert [(f.access, f.default) for f in q.decode(0x02, 0)[-3:]] == [
            ("read-write", 1), ("read-write", 1),
            ("read-write, read-only while Hardware Channel Select or Auto Channel Select is set", 0)]
        assert chip.dump()[6] == q.Register(0x06, "Output Drive and PreEmphasis", 0x34)
        assert len(chip.dump(all=True)) == 256
        assert chip.channel("b") == q.ChannelSetting("B", 0x01) == chip.channel()
        assert chip.recal() == 0x12
        assert chip.clock(60) == q.I2CClock(200, 12, 60) == chip.clock()
        assert (chip.led(True), chip.led()) == (True, True)
        assert chip.scan(0x40, 0x4F) == q.ScanResult([0x48], [0x48])
        with pytest.raises(q.Mismatch) as mismatch:  # 0x00 and 0x01 are read-only
            chip.write(0x00, [0x30, 0xAA], read_back=True)
        assert mismatch.value.differences == [q.Difference(0, 0x30, 0x31), q.Difference(1, 0xAA, 0)]
        assert repr(chip) == "<qdm7720a.Chip board 0 at 0x48>"
        chip.address = 0x40  # nothing there: the chip at 0x48 is addressed as 0x90
        pytest.raises(q.NotAcknowledged, chip.read, 0)
        chip.address = 0x48
        assert chip.read(0) == 0x31
    assert chip.closed and "closed" in repr(chip)
    with pytest.raises(q.UsageError, match="the board is closed"):
        chip.read(0)
    assert [b.serial for b in q.boards(demo=True, demo_boards=2)] == ["SIM0000", "SIM0001"]
    with q.SMBus(demo=True, demo_address=0x48) as bus:
        bus.write_i2c_block_data(0x48, 0x10, [1, 2, 3])
        bus.write_byte_data(0x48, 0x13, 4)
        bus.write_word_data(0x48, 0x14, 0x0605)
        assert bus.read_i2c_block_data(0x48, 0x10, 7) == [1, 2, 3, 4, 5, 6, 0]
        assert (bus.read_byte_data(0x48, 0), bus.read_word_data(0x48, 0x14)) == (0x31, 0x0605)
        with pytest.raises(OSError) as nak:
            bus.read_byte_data(0x40, 0)
        assert nak.value.errno == 121 and isinstance(nak.value, q.NotAcknowledged)


# (fault, tool's command, what the module does, its exception)
FAILURES = [
    ("nak@2", "read 0 100", lambda c: c.read(0, 100), q.NotAcknowledged),
    ("gone@2", "write 0 " + " ".join(map(str, range(1, 71))), lambda c: c.write(0, bytes(range(1, 71))), q.BoardGone),
    ("silent@2", "dump", lambda c: c.dump(), q.Timeout),
    ("short@2", "recal", lambda c: c.recal(), q.Timeout),
    ("nak@2", "channel B", lambda c: c.channel("B"), q.NotAcknowledged),
    ("gone", "decode 2", lambda c: c.decode(2), q.BoardGone),
    ("silent", "clock 60", lambda c: c.clock(60), q.Timeout),
    ("short@2", "led on", lambda c: c.led(True), q.Timeout),
    ("gone@2", "scan", lambda c: c.scan(), q.BoardGone),
    ("nak@2", "write --read-back 5 1", lambda c: c.write(5, 1, read_back=True), q.NotAcknowledged),
    ("", "write --read-back 0 0x30 0xAA", lambda c: c.write(0, [0x30, 0xAA], read_back=True), q.Mismatch),
]


@pytest.mark.parametrize("fault,command,call,kind", FAILURES)
def test_failures_say_what_the_tool_says(fault, command, call, kind):
    options = dict(demo_fault=fault) if fault else {}
    with q.open(timeout_ms=20, **options, **AT48) as chip, pytest.raises(kind) as failure:
        call(chip)
    fault_args = ["--demo-fault", fault] if fault else []
    said = cli("--timeout-ms", "20", *fault_args, *command.split()).stderr
    assert said == f"qdm7720a-cli: {failure.value}\n"


@pytest.mark.parametrize("call,kind,message", [
    (lambda: q.open(demo=True, board=1), q.NoBoard, "there is no board 1: 1 found, numbered from 0"),
    (lambda: q.open(trace="/nonexistent/t"), q.FileError, "cannot write the trace to /nonexistent/t: No such file or directory"),
    (lambda: q.open(demo_boards=2), q.UsageError, "demo_boards is an option of demo=True."),
    (lambda: q.open(demo=True, demo_fault="nak@0"), q.UsageError, "demo_fault takes nak, silent"),
    (lambda: q.open(address=0x90), ValueError, "address takes a 7-bit address, 0 to 127 or 0x00 to 0x7F, not 144."),
    (lambda: q.open(demo=True).read(0xFF, 2), ValueError, "a read from 0xFF, the last register, takes a count of 1, not '2'."),
    (lambda: q.open(demo=True).write(0xF0, bytes(17)), ValueError, "a write from 0xF0 takes 1 to 16 bytes, not 17"),
    (lambda: q.open(demo=True).write(0, [1, 256]), ValueError, "a byte is 0 to 255, not 256."),
    (lambda: q.open(demo=True).channel("E"), ValueError, "channel takes A, B, C, D, auto or hardware, not 'E'."),
    (lambda: q.decode(0x20, 0), ValueError, "the register is one with fields, 0x00 to 0x0C or 0x10, not '0x20'."),
    (lambda: q.SMBus(demo=True).read_i2c_block_data(0x40, 0, 33), ValueError, "an I2C block is 1 to 32 bytes, not 33."),
])
def test_refusals(call, kind, message):
    with pytest.raises(kind, match=re.escape(message)) as refused:
        call()
    assert isinstance(refused.value, q.Error)


@pytest.mark.parametrize("command,call", [
    ("read 0 100", lambda c: c.read(0, 100)),
    ("write --read-back 0x10 " + " ".join(map(str, range(1, 71))), lambda c: c.write(0x10, bytes(range(1, 71)), read_back=True)),
    ("dump", lambda c: c.dump()), ("dump --all", lambda c: c.dump(all=True)),
    ("channel B", lambda c: c.channel("B")), ("recal", lambda c: c.recal()),
    ("clock 60", lambda c: c.clock(60)), ("led on", lambda c: c.led(True)), ("decode 6", lambda c: c.decode(6)),
])
def test_trace_is_the_tools(tmp_path, command, call):
    ours, theirs = tmp_path / "module.trace", tmp_path / "tool.trace"
    with q.open(trace=ours, **AT48) as chip:
        call(chip)
    assert cli("--trace", str(theirs), *command.split()).returncode == 0
    untimed = lambda path: re.sub(r"(?m)^[0-9:.]+ ", "", path.read_text())
    assert untimed(ours) == untimed(theirs) and "\n# " in untimed(ours)


def test_threads_run_while_the_board_waits():
    ticks, stop = [0], threading.Event()

    def tick():  # about 250 ticks in 300 ms, none while the interpreter is held
        while not stop.wait(0.001):
            ticks[0] += 1

    ticker = threading.Thread(target=tick, daemon=True)
    ticker.start()
    with q.open(demo=True, demo_fault="silent", timeout_ms=300) as chip:
        before = ticks[0]
        pytest.raises(q.Timeout, chip.read, 0)
        during = ticks[0] - before
    stop.set()
    ticker.join()
    assert during > 50
    # Two boards, each from its own thread, at once: both waits overlap.
    chips = [q.open(demo=True, demo_fault="silent", timeout_ms=300) for _ in range(2)]
    threads = [threading.Thread(target=lambda c=c: pytest.raises(q.Timeout, c.read, 0)) for c in chips]
    start = time.monotonic()
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert time.monotonic() - start < 0.55


def test_stub_names_the_module():
    stub = open(os.path.join(os.path.dirname(q.__file__), "qdm7720a.pyi")).read()
    named = set(re.findall(r"(?m)^(?:class|def) (\w+)", stub))
    assert named == {n for n in dir(q) if not n.startswith("_")}
