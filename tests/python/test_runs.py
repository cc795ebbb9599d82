"""Fields, register files and the link test from Python on the demo board:
what the tool says and writes for the same request, and the registers a run
changed put back however it ends."""
import gc, json, os, re, subprocess, sys, threading, time, _thread
import pytest
import qdm7720a as q

AT48 = dict(demo=True, demo_address=0x48, address=0x48)  # address byte 0x90
CLI = ["qdm7720a-cli", "--demo", "--demo-address", "0x48", "--address", "0x48"]
FAST = dict(generator="prbs7", dwell_ms=20, settle_ms=2)


def cli(*args):
    return subprocess.run(CLI + list(args), capture_output=True, text=True)


def untimed(path):
    return re.sub(r"(?m)^[0-9:.]+ ", "", path.read_text())


def register_file(path, lines):
    path.write_text("//QDM7720A Register File\n" + "".join(f"0x{r:02X}\t{v:02X}\n" for r, v in lines))
    return path


# (the tool's operands, what the module does): the same exchanges, byte for byte
SAME_TRACE = [
    (["set", "6", "transmit current", "10.75mA"], lambda c, f: c.set(6, "Transmit Current", "10.75mA")),
    (["set", "2", "channel select=C", "auto channel select=0", "hardware channel select=off"],
     lambda c, f: c.set(2, {"channel select": "C", "auto channel select": 0, "hardware channel select": False})),
    (["set", "3", "recalibrate", "1"], lambda c, f: c.set(3, "recalibrate", 1)),
    (["load", "{file}"], lambda c, f: c.load(f)),
    (["--no-verify", "load", "{file}"], lambda c, f: c.load(f, verify=False)),
    (["diff", "{file}"], lambda c, f: c.diff(f)),
]


@pytest.mark.parametrize("command,call", SAME_TRACE)
def test_trace_is_the_tools(tmp_path, command, call):
    regs = register_file(tmp_path / "r.txt", [(5, 0x12), (6, 0x34), (7, 0x56), (0x10, 0xAB)])
    ours, theirs = tmp_path / "module.trace", tmp_path / "tool.trace"
    with q.open(trace=ours, **AT48) as chip:
        call(chip, regs)
    said = cli("--trace", str(theirs), *[a.format(file=regs) for a in command])
    assert said.returncode == (command[0] == "diff"), said.stderr  # 1: the chip differs
    assert untimed(ours) == untimed(theirs)


def test_fields_and_files(tmp_path):
    with q.open(**AT48) as chip:
        done = chip.set(0x06, "transmit current", "10.75mA")
        assert done[:3] == (0x06, 0x06, 0x06) and done.fields[0][:4] == ("Transmit Current", "3:0", 6, "10.750 mA")
        assert chip.set(0x02, "reset", 1).read_back == 0x0C  # the chip's default: nothing else was written
        assert chip.read(0x06) == 0
        assert chip.save(tmp_path / "saved.txt") == 14
        saved = (tmp_path / "saved.txt").read_text().splitlines()
        assert saved[0] == "//QDM7720A Register File" and saved[3] == "0x02\t0C" and len(saved) == 15
        chip.write(0x06, 0x44)
        assert chip.diff(tmp_path / "saved.txt") == [q.Difference(0x06, 0x00, 0x44)]
        assert chip.load(tmp_path / "saved.txt") == q.Loaded(14, [*range(0x0D), 0x10], 0)
        assert chip.diff(str(tmp_path / "saved.txt")) == []
        # The identity, activity and error counters keep nothing written: not verified.
        assert chip.load(register_file(tmp_path / "ro.txt", [(0, 0x30), (1, 9), (0x0B, 7)])).written == 3
        # 0x02 bit 4 is Reset: the verification finds the chip's defaults, not the byte loaded.
        regs = register_file(tmp_path / "reset.txt", [(6, 0x22), (2, 0x1C)])
        with pytest.raises(q.Mismatch, match=r"2 registers of .*reset.txt differ from the chip") as differs:
            chip.load(regs)
        assert differs.value.differences == [q.Difference(0x02, 0x1C, 0x0C), q.Difference(0x06, 0x22, 0)]


@pytest.mark.parametrize("call,kind,message", [
    (lambda c, t: c.set(0x06, "drive", 1), q.UsageError, "register 0x06 has no field 'drive'; its fields are Transmit PreEmphasis, Transmit Current."),
    (lambda c, t: c.set(0x06, "transmit current", "9mA"), q.UsageError, "0x06 Transmit Current takes 0 to 15, or 10.000 to 11.875 mA in steps of 0.125 mA, not '9mA'."),
    (lambda c, t: c.set(0x02, {"reset": 1, "power down": 1}), q.UsageError, "Reset"),
    (lambda c, t: c.set(0x20, "x", 1), q.UsageError, "the register is one with fields, 0x00 to 0x0C or 0x10, not '0x20'."),
    (lambda c, t: c.set(0x06, {"transmit current": 1}, 2), q.UsageError, "not both"),
    (lambda c, t: c.load(t / "none.txt"), q.FileError, "none.txt: No such file or directory"),
    (lambda c, t: c.diff((t / "bad.txt", (t / "bad.txt").write_text("hello\n"))[0]), q.FileError, "bad.txt: not a register file (its first line must be //QDM7720A Register File)"),
    (lambda c, t: c.save(t), q.FileError, "It is a folder, not a file."),
    (lambda c, t: c.sweep("E"), q.UsageError, "channel takes A, B, C or D, not 'E'."),
    (lambda c, t: c.sweep("A", first=9, last=3), q.UsageError, "first 0x9 lies above last 0x3."),
    (lambda c, t: c.prbs(gain=3), q.UsageError, "gain is a channel's: it needs channel."),
    (lambda c, t: c.prbs(ber=1e-9), q.UsageError, "ber needs the bit rate: bit_rate or tmds_clock."),
    (lambda c, t: c.prbs(bit_rate="fast"), q.UsageError, "bit_rate takes a rate such as 1.485e9"),
    (lambda c, t: c.prbs(confidence=1.5), q.UsageError, "confidence takes a level between 0 and 1"),
    (lambda c, t: c.prbs(generator="prbs9"), q.UsageError, "generator takes prbs7, low, high or off, not 'prbs9'."),
])
def test_refusals_send_nothing(tmp_path, call, kind, message):
    trace = tmp_path / "t"
    with q.open(trace=trace, **AT48) as chip:
        sent = trace.read_text().count("\n# ")
        with pytest.raises(kind, match=re.escape(message)):
            call(chip, tmp_path)
        assert trace.read_text().count("\n# ") == sent


# (fault, the tool's operands, the module's call, its exception)
FAILING = [
    ("nak@3", ["load", "{file}"], lambda c, f: c.load(f), q.NotAcknowledged),
    ("silent@2", ["set", "6", "transmit current", "3"], lambda c, f: c.set(6, "transmit current", 3), q.Timeout),
    ("gone@8", ["sweep", "--channel", "B", "--generator", "prbs7", "--dwell", "20"], lambda c, f: c.sweep("B", generator="prbs7", dwell_ms=20), q.BoardGone),
    ("nak@9", ["prbs", "--seconds", "1", "--channel", "A", "--generator", "prbs7"], lambda c, f: c.prbs(seconds=1, channel="A", generator="prbs7"), q.NotAcknowledged),
    ("", ["prbs", "--seconds", "1", "--channel", "B", "--generator", "off"], lambda c, f: c.prbs(seconds=1, channel="B", generator="off"), q.RunStopped),
]


@pytest.mark.parametrize("fault,command,call,kind", FAILING)
def test_failures_say_what_the_tool_says(tmp_path, fault, command, call, kind):
    regs = register_file(tmp_path / "r.txt", [(5, 1), (6, 2), (7, 3)])
    options = dict(demo_fault=fault) if fault else {}
    with q.open(timeout_ms=20, **options, **AT48) as chip, pytest.raises(kind) as failure:
        call(chip, regs)
    said = cli("--timeout-ms", "20", *(["--demo-fault", fault] if fault else []),
               *[a.format(file=regs) for a in command])
    assert said.returncode and said.stderr == f"qdm7720a-cli: {failure.value}\n"
    if fault == "nak@3":  # the load's third line: two stay written
        assert failure.value.written == q.Loaded(2, [5, 6], 0)
    if command[0] in ("prbs", "sweep"):
        assert failure.value.result.restores or kind is q.BoardGone


def test_results_are_the_tools():
    with q.open(**AT48) as chip:
        s = chip.sweep("C", first=4, last=14, bit_rate="1.485G", **FAST)
        p = chip.prbs(seconds=0.5, channel="D", gain=0xE, generator="prbs7", interval_ms=100, tmds_clock=148.5e6, ber=1e-10)
    tool = json.loads(cli("--json", "sweep", "--channel", "C", "--from", "4", "--to", "14", "--bit-rate", "1.485G",
                          "--generator", "prbs7", "--dwell", "20", "--settle", "2").stdout)
    assert (s.best_gain, s.window, s.applied) == (0xA, q.CleanWindow(9, 11, 3, 1, False), None)
    assert [pt.gain for pt in s.points] == list(range(4, 15)) and s.points[0].errors.saturated == (True,) * 3
    keep = lambda d: {k: v for k, v in d.items() if k not in ("start", "points", "program", "exitStatus")}
    assert keep(s.json) == keep(tool) and s.csv.startswith("# ")
    assert [r.text for r in s.restores] == ["register 0x08 restored", "register 0x09 restored", "register 0x02 restored"]
    # 1e-10 needs 20 s of clean bits: not decided in the half second asked for
    assert p.verdict == "open" and p.complete and p.total.counts == (0, 0, 0) and p.total.ber[0] < 1e-8
    assert p.total.seconds == pytest.approx(0.5, abs=0.1) and len(p.intervals) == 5
    assert p.total.bits == pytest.approx(1.485e9 * p.total.seconds) and s.points[5].errors.bits > 2e7
    assert p.json["berTarget"] == 1e-10 and len(p.intervals) == len(p.json["intervals"])


def test_sweep_of_saturated_counts_names_no_gain():
    with q.open(demo=True) as chip:
        low = chip.sweep("B", first=0, last=2, generator="low", dwell_ms=20)  # saturates every counter
        cut = chip.sweep("B", first=5, last=9, **FAST)
    assert (low.best_gain, low.window) == (None, None) and "saturated" in low.no_best_gain
    assert cut.best_gain == 7 and cut.window == q.CleanWindow(5, 9, 5, 2, True)


def test_apply_leaves_the_best_gain():
    with q.open(demo=True) as chip:
        before = chip.read(0x07)
        s = chip.sweep("B", apply=True, **FAST)
        assert s.applied == chip.read(0x07) == (before & 0x0F) | 0x70


def registers(chip):
    return chip.read(0x02, 8)


@pytest.mark.parametrize("ending", ["break", "close", "with", "collected", "board closed", "stop"])
def test_prbs_iter_restores_on_every_ending(ending):
    chip = q.open(demo=True)
    before = registers(chip)
    run = chip.prbs_iter(channel="C", gain=5, generator="prbs7", interval_ms=30, settle_ms=1)
    if ending == "with":
        with run:
            next(run)
    elif ending == "break":
        del run
        for n, interval in enumerate(chip.prbs_iter(channel="C", generator="prbs7", interval_ms=30)):
            if n == 1:
                break
    else:
        for n, interval in enumerate(run):
            assert len(interval.counts) == 3
            if n == 1:
                break
        assert registers(chip) != before  # still running: channel C, generator on
        if ending == "close":
            run.close()
        elif ending == "stop":
            assert run.stop().restores[0].done
        elif ending == "collected":
            del run, interval
            gc.collect()
        elif ending == "board closed":
            chip.close()
            assert run.ended
            chip = q.open(demo=True)  # a new demo board: nothing to compare
            return
    assert registers(chip) == before
    chip.close()


def test_keyboard_interrupt_mid_sweep_restores():
    ticks, stop = [0], threading.Event()

    def tick():  # the interpreter is let go during the dwells
        while not stop.wait(0.002):
            ticks[0] += 1

    ticker = threading.Thread(target=tick, daemon=True)  # a failure below must not hang
    ticker.start()
    with q.open(demo=True) as chip:
        before = registers(chip)
        threading.Timer(0.92, _thread.interrupt_main).start()
        start = time.monotonic()
        with pytest.raises(KeyboardInterrupt):  # clean: the counters are read every 0.5 s
            chip.sweep("A", first=1, last=5, generator="prbs7", dwell_ms=3000)
        assert time.monotonic() - start < 1.04  # seen within a slice of the wait (0.2 s left)
        assert registers(chip) == before
    stop.set()
    ticker.join()
    assert ticks[0] > 60


def test_interpreter_exit_restores(tmp_path):
    trace = tmp_path / "t"
    script = ("import qdm7720a as q\nc = q.open(demo=True, trace=%r)\n"
              "r = c.prbs_iter(channel='B', generator='prbs7', interval_ms=20)\nnext(r)\n" % str(trace))
    subprocess.run([sys.executable, "-c", script], check=True, env=os.environ)
    meant = [line for line in trace.read_text().splitlines() if line.startswith("# I2C write")]
    assert meant[-2:] == ["# I2C write 0x40 reg 0x09: 00, acknowledged",
                          "# I2C write 0x40 reg 0x02: 0C, acknowledged"]
