"""The QDM7720A evaluation board and chip from Python (type stubs)."""

import os
from types import TracebackType
from typing import Any, Dict, Iterator, Iterable, List, Literal, NamedTuple, Optional, Tuple, Type, Union, overload

__version__: str

_Path = Union[str, bytes, os.PathLike]
_Bytes = Union[int, bytes, bytearray, memoryview, Iterable[int]]

class Error(Exception):
    """Every failure of the board, the chip or a request to them."""

class NotAcknowledged(Error, OSError):
    """The chip or the board answered with a failure (errno EREMOTEIO)."""

class Mismatch(Error):
    """What was read back differs from what was written."""
    differences: List["Difference"]
    written: "Loaded"  # a load's

class RunStopped(Error):
    """A link test run stopped: no clock, the chip reset, another run."""
    result: Union["PrbsResult", "SweepResult"]

class UsageError(Error, ValueError):
    """A request out of range; nothing was sent."""

class FileError(Error, OSError):
    """A file (the trace) that cannot be opened or written."""

class NoBoard(Error, OSError):
    """No evaluation board found, or none of that number (errno ENODEV)."""

class BoardGone(Error, OSError):
    """The board was pulled out (errno ENODEV)."""

class Timeout(Error, TimeoutError):
    """No answer within the answer limit (errno ETIMEDOUT)."""

class BoardInfo(NamedTuple):
    instance: int
    path: str
    serial: str
    firmware: Optional[str]
    firmware_date: Optional[str]

class Field(NamedTuple):
    name: str
    bits: str
    value: int
    meaning: str
    access: str  # "read-only", "read-write", "self-clearing", "cleared by read", ...
    default: int

class Register(NamedTuple):
    register: int
    name: str
    value: int

class ChannelSetting(NamedTuple):
    channel: Literal["A", "B", "C", "D", "auto", "hardware"]
    value: int

class I2CClock(NamedTuple):
    khz: int
    base_mhz: int
    divider: int

class Difference(NamedTuple):
    register: int
    wrote: int
    chip: int

class ScanResult(NamedTuple):
    present: List[int]
    chips: List[int]

class FieldsSet(NamedTuple):
    register: int
    written: int
    read_back: int
    fields: List[Field]
    pulsed: bool

class Loaded(NamedTuple):
    written: int
    registers: List[int]
    skipped: int

class LinkErrors(NamedTuple):
    counts: Tuple[int, int, int]
    saturated: Tuple[bool, bool, bool]
    seconds: float
    bits: Optional[float]
    ber: Optional[Tuple[float, float, float]]

class GainPoint(NamedTuple):
    gain: int
    errors: LinkErrors

class CleanWindow(NamedTuple):
    first: int
    last: int
    width: int
    margin: int
    cut: bool

class Restore(NamedTuple):
    register: int
    before: int
    written: int
    done: bool
    applied: bool
    holds: Optional[int]
    text: str

class PrbsResult(NamedTuple):
    intervals: List[LinkErrors]
    total: LinkErrors
    complete: bool
    verdict: Optional[Literal["met", "above", "open"]]
    restores: List[Restore]
    json: Dict[str, Any]
    csv: str

class SweepResult(NamedTuple):
    points: List[GainPoint]
    best_gain: Optional[int]
    window: Optional[CleanWindow]
    no_best_gain: Optional[str]
    complete: bool
    applied: Optional[int]
    restores: List[Restore]
    json: Dict[str, Any]
    csv: str

_Rate = Union[float, str, None]
_Value = Union[int, bool, str]

class PrbsRun(Iterator[LinkErrors]):
    """An error count an interval at a time; a break or close() restores."""

    @property
    def ended(self) -> bool: ...
    def __iter__(self) -> "PrbsRun": ...
    def __next__(self) -> LinkErrors: ...
    def stop(self) -> PrbsResult: ...
    def close(self) -> None: ...
    def __enter__(self) -> "PrbsRun": ...
    def __exit__(
        self,
        exc_type: Optional[Type[BaseException]],
        exc: Optional[BaseException],
        traceback: Optional[TracebackType],
    ) -> bool: ...

class Chip:
    """The chip on an evaluation board; open() makes one."""

    address: int
    """The chip's 7-bit I2C address every operation uses."""
    @property
    def board(self) -> int: ...
    @property
    def closed(self) -> bool: ...
    def __init__(
        self,
        board: int = 0,
        address: int = 0x40,
        demo: bool = False,
        demo_boards: Optional[int] = None,
        demo_address: Optional[int] = None,
        demo_fault: Optional[str] = None,
        trace: Optional[_Path] = None,
        timeout_ms: Optional[int] = None,
    ) -> None: ...
    @overload
    def read(self, register: int) -> int: ...
    @overload
    def read(self, register: int, count: int) -> bytes: ...
    def write(self, register: int, data: _Bytes, read_back: bool = False) -> None: ...
    def decode(self, register: int, byte: Optional[int] = None) -> List[Field]: ...
    @overload
    def set(self, register: int, field: str, value: _Value) -> FieldsSet: ...
    @overload
    def set(self, register: int, field: Dict[str, _Value]) -> FieldsSet: ...
    def save(self, path: _Path) -> int: ...
    def load(self, path: _Path, verify: bool = True) -> Loaded: ...
    def diff(self, path: _Path) -> List[Difference]: ...
    def prbs(
        self,
        seconds: Optional[float] = None,
        channel: Optional[str] = None,
        generator: Optional[str] = None,
        interval_ms: int = 1000,
        gain: Optional[int] = None,
        settle_ms: int = 10,
        bit_rate: _Rate = None,
        tmds_clock: _Rate = None,
        confidence: Union[float, str] = 0.95,
        ber: Optional[float] = None,
    ) -> PrbsResult: ...
    def prbs_iter(
        self,
        seconds: Optional[float] = None,
        channel: Optional[str] = None,
        generator: Optional[str] = None,
        interval_ms: int = 1000,
        gain: Optional[int] = None,
        settle_ms: int = 10,
        bit_rate: _Rate = None,
        tmds_clock: _Rate = None,
        confidence: Union[float, str] = 0.95,
        ber: Optional[float] = None,
    ) -> PrbsRun: ...
    def sweep(
        self,
        channel: str,
        generator: Optional[str] = None,
        dwell_ms: int = 100,
        first: int = 0,
        last: int = 0xF,
        settle_ms: int = 10,
        bit_rate: _Rate = None,
        tmds_clock: _Rate = None,
        confidence: Union[float, str] = 0.95,
        apply: bool = False,
    ) -> SweepResult: ...
    @overload
    def dump(self, all: Literal[False] = False) -> List[Register]: ...
    @overload
    def dump(self, all: Literal[True]) -> bytes: ...
    def channel(self, option: Optional[str] = None) -> ChannelSetting: ...
    def recal(self) -> int: ...
    def clock(self, divider: Optional[int] = None) -> I2CClock: ...
    def led(self, on: Optional[bool] = None) -> bool: ...
    def scan(self, first: int = 0, last: int = 0x7F) -> ScanResult: ...
    def close(self) -> None: ...
    def __enter__(self) -> "Chip": ...
    def __exit__(
        self,
        exc_type: Optional[Type[BaseException]],
        exc: Optional[BaseException],
        traceback: Optional[TracebackType],
    ) -> bool: ...

def open(
    board: int = 0,
    address: int = 0x40,
    demo: bool = False,
    demo_boards: Optional[int] = None,
    demo_address: Optional[int] = None,
    demo_fault: Optional[str] = None,
    trace: Optional[_Path] = None,
    timeout_ms: Optional[int] = None,
) -> Chip: ...
def boards(
    demo: bool = False,
    demo_boards: Optional[int] = None,
    demo_fault: Optional[str] = None,
    trace: Optional[_Path] = None,
    timeout_ms: Optional[int] = None,
) -> List[BoardInfo]: ...
def decode(register: int, byte: int) -> List[Field]: ...

class SMBus:
    """The calls of the Linux smbus and smbus2 modules on an evaluation board."""

    def __init__(
        self,
        board: int = 0,
        demo: bool = False,
        demo_boards: Optional[int] = None,
        demo_address: Optional[int] = None,
        demo_fault: Optional[str] = None,
        trace: Optional[_Path] = None,
        timeout_ms: Optional[int] = None,
    ) -> None: ...
    def read_byte_data(self, i2c_addr: int, register: int) -> int: ...
    def write_byte_data(self, i2c_addr: int, register: int, value: int) -> None: ...
    def read_word_data(self, i2c_addr: int, register: int) -> int: ...
    def write_word_data(self, i2c_addr: int, register: int, value: int) -> None: ...
    def read_i2c_block_data(self, i2c_addr: int, register: int, length: int) -> List[int]: ...
    def write_i2c_block_data(self, i2c_addr: int, register: int, data: _Bytes) -> None: ...
    def close(self) -> None: ...
    def __enter__(self) -> "SMBus": ...
    def __exit__(
        self,
        exc_type: Optional[Type[BaseException]],
        exc: Optional[BaseException],
        traceback: Optional[TracebackType],
    ) -> bool: ...
