At 7-bit address 0x48 (byte 0x90). `st`: the status and all said; `wire`:
what the reports sent and received meant.

  $ cli() { qdm7720a-cli --demo --demo-address 0x48 --address 0x48 "$@"; }
  $ st() { said=$("$@" 2>&1); echo "$? $said"; }
  $ wire() { grep '^#' | cut -c1-64; }
  $ json() { python3 -c 'import json, sys; print(json.dumps(json.load(sys.stdin), separators=(",", ":")))'; }

100 registers take two transfers, the second from 0x3E; each comes once.

  $ cli --trace - read 0 100 2>&1 >/dev/null | wire
  # I2C read 0x48 reg 0x00 count 62: 31 00 0C 12 00 00 00 CC CC 00
  # I2C read 0x48 reg 0x3E count 38: 00 00 00 00 00 00 00 00 00 00
  $ cli read 0 100 | sed -n '63p;$p'
  0x3E 0x00
  0x63 0x00
  $ cli --json read 0xFE 2 | json
  {"address":72,"addressByte":144,"exitStatus":0,"first":254,"values":[0,0]}

70 bytes in two transfers, the second from 0x4B, each read back in place; 256
in five, of 59 but the last.

  $ cli --trace - write --read-back 0x10 $(seq 1 70) 2>&1 | wire
  # I2C write 0x48 reg 0x10: 01 02 03 04 05 06 07 08 09 0A 0B 0C 0
  # I2C write 0x48 reg 0x4B: 3C 3D 3E 3F 40 41 42 43 44 45 46, ack
  # I2C read 0x48 reg 0x10 count 62: 01 02 03 04 05 06 07 08 09 0A
  # I2C read 0x48 reg 0x4E count 8: 3F 40 41 42 43 44 45 46, ackno
  $ cli --trace - write 0 $(seq 0 255) 2>&1 | grep '^# I2C write' | sed -E 's/: (..) .* (..), ack.*/: \1 .. \2/'
  # I2C write 0x48 reg 0x00: 00 .. 3A
  # I2C write 0x48 reg 0x3B: 3B .. 75
  # I2C write 0x48 reg 0x76: 76 .. B0
  # I2C write 0x48 reg 0xB1: B1 .. EB
  # I2C write 0x48 reg 0xEC: EC .. FF
  $ cli --json write -r 0x00 0x30 0xAA 0x0D | json
  qdm7720a-cli: 2 of the 3 registers written differ from the chip
  {"address":72,"addressByte":144,"differences":[{"chip":49,"register":0,"wrote":48},{"chip":0,"register":1,"wrote":170}],"error":"2 of the 3 registers written differ from the chip","exitStatus":1,"first":0,"written":3}

All 256 registers (their five transfers: the stand-in's transcript), upper case.

  $ cli dump --all | sed -n '1,2p;$p'
       0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F
  00: 31 00 0C 12 00 00 00 CC CC 00 00 00 00 00 00 00
  F0: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
  $ cli --json dump --all | json | grep -o '"values":\[[0-9,]*' | tr , '\n' | wc -l
  256

The scan probes each 7-bit address once; a range only its own.

  $ cli --trace - scan 2>&1 | grep -c '^# I2C read'
  128
  $ cli --json scan 0x47 0x48 | json
  {"chips":[72],"exitStatus":0,"present":[72]}
  $ cli --demo-fault nak scan | tail -1
  no QDM7720A found

Usage errors (2) say what the command takes.

  $ st cli read 0xFF 2
  2 qdm7720a-cli: a read from 0xFF, the last register, takes a count of 1, not '2'. See --help.
  $ st cli read -1
  2 qdm7720a-cli: '-1': registers, bytes, counts and addresses are not negative. See --help.
  $ st cli write 5
  2 qdm7720a-cli: write takes a register and 1 to 256 bytes. See --help.
  $ st cli scan 0x48 0x47
  2 qdm7720a-cli: the first address, 0x48, lies above the last, 0x47. See --help.

Failures at the second exchange: nak (1), gone (3), silent (4).

  $ for fault in nak@2 gone@2 silent@2; do
  >   for command in 'read 0 100' 'write 0 $(seq 1 70)' dump 'dump --all'; do
  >     st eval cli --timeout-ms 20 --demo-fault $fault $command
  >   done
  > done
  1 qdm7720a-cli: read of 100 registers from 0x00 at 0x48: not acknowledged (status 0x01)
  1 qdm7720a-cli: write of 70 bytes to 0x00 at 0x48, the first 59 written: not acknowledged (status 0x01)
  1 qdm7720a-cli: read of the main registers at 0x48: not acknowledged (status 0x01)
  1 qdm7720a-cli: read of registers 0x00 to 0xFF at 0x48: not acknowledged (status 0x01)
  3 qdm7720a-cli: read of 100 registers from 0x00 at 0x48: board 0 is gone: No such device
  3 qdm7720a-cli: write of 70 bytes to 0x00 at 0x48, the first 59 written: board 0 is gone: No such device
  3 qdm7720a-cli: read of the main registers at 0x48: board 0 is gone: No such device
  3 qdm7720a-cli: read of registers 0x00 to 0xFF at 0x48: board 0 is gone: No such device
  4 qdm7720a-cli: read of 100 registers from 0x00 at 0x48: no answer from board 0 within 20 ms
  4 qdm7720a-cli: write of 70 bytes to 0x00 at 0x48, the first 59 written: no answer from board 0 within 20 ms
  4 qdm7720a-cli: read of the main registers at 0x48: no answer from board 0 within 20 ms
  4 qdm7720a-cli: read of registers 0x00 to 0xFF at 0x48: no answer from board 0 within 20 ms
  $ for fault in gone@2 silent@2; do st cli --timeout-ms 20 --demo-fault $fault scan; done
  3 qdm7720a-cli: probe of 0x01: board 0 is gone: No such device
  4 qdm7720a-cli: probe of 0x01: no answer from board 0 within 20 ms
  $ SECONDS=0; cli --timeout-ms 20 --demo-fault silent dump 2>/dev/null; echo "$? $((SECONDS < 3))"
  4 1
