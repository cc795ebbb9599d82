"""The QDM7720A evaluation board and chip from Python (type stubs)."""

import os
from types import TracebackType
from typing import Iterable, List, Literal, NamedTuple, Optional, Type, Union, overload

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
    access: Literal["read-only", "read-write", "self-clearing", "cleared-by-read", "reserved"]

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
