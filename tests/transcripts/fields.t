The register fields in the tool, the chip at 0x48 (address byte 0x90).

  $ cli() { qdm7720a-cli --demo --demo-address 0x48 --address 0x48 "$@"; }
  $ printf '//QDM7720A Register File\r\n0x06\t34\r\n0x02\t0D\r\n0x05\t10\r\n0x11\t05\r\n' > file.txt

decode gives each field's bits, value and meaning (of the register read, in
the manual's examples); a byte given is decoded without a board.

  $ qdm7720a-cli decode 6 0x34
  0x06  0x34  Output Drive and PreEmphasis
        7:4  Transmit PreEmphasis         0x3  0.375 mA
        3:0  Transmit Current             0x4  10.500 mA
  $ qdm7720a-cli --json decode 0x10 0xFF | python3 -c 'import json, sys; d = json.load(sys.stdin); print(d["value"], d["fields"])'
  255 [{'bits': '7:2', 'meaning': '63', 'name': 'Reserved', 'value': 63}, {'bits': '1:0', 'meaning': '100 kHz', 'name': 'PLL Bandwidth', 'value': 3}]

set reads the register, writes it once with only that field changed, and
reads it back: a setting's name in any case, a number, the one setting a word
begins (a quantity in the field's unit: the manual's examples).

  $ cli --trace - set 2 channel-select b 2>&1 | grep -v '^[0-9]'
  # I2C read 0x48 reg 0x02 count 1: 0C, acknowledged
  # I2C write 0x48 reg 0x02: 0D, acknowledged
  # I2C read 0x48 reg 0x02 count 1: 0D, acknowledged
  $ cli set 9 test-pattern-generator low
  0x09 Test Pattern Generator: low-frequency pattern (0x02)
  $ cli --json set 0x10 'PLL Bandwidth' '100 kHz' | python3 -c 'import json, sys; d = json.load(sys.stdin); print(d["written"], d["readBack"], d["field"])'
  19 19 {'bits': '1:0', 'meaning': '100 kHz', 'name': 'PLL Bandwidth', 'value': 3}

A self-clearing bit reads back clear: the reset it started is no failure.

  $ cli set 2 reset on
  0x02 Reset: normal (0x0C)

What set refuses before it touches the board, and a chip that does not answer.

  $ for value in E ' B' $'B\n'; do cli set 2 channel-select "$value"; done
  qdm7720a-cli: 0x02 Channel Select takes 0 to 3, or A, B, C, D, not 'E'. See --help.
  qdm7720a-cli: 0x02 Channel Select takes 0 to 3, or A, B, C, D, not ' B'. See --help.
  qdm7720a-cli: 0x02 Channel Select takes 0 to 3, or A, B, C, D, not 'B\n'. See --help.
  [2]
  $ cli set 6 transmit-current 10.3mA
  qdm7720a-cli: 0x06 Transmit Current takes 0 to 15, or 10.000 to 11.875 mA in steps of 0.125 mA, not '10.3mA'. See --help.
  [2]
  $ cli set 0 device-id 3
  qdm7720a-cli: 0x00 Device ID is read-only. See --help.
  [2]
  $ cli set 0x10 reserved 4
  qdm7720a-cli: 0x10 Reserved is reserved: it keeps the value it holds. See --help.
  [2]
  $ cli set 2 channel B
  qdm7720a-cli: register 0x02 has no field 'channel'; its fields are Power Down, Reset, Hardware Channel Select, Auto Channel Select, Channel Select. See --help.
  [2]
  $ cli set 0x11 x 1
  qdm7720a-cli: the register is one with fields, 0x00 to 0x0C or 0x10, not '0x11'. See --help.
  [2]
  $ cli --address 0x41 set 2 power-down on
  qdm7720a-cli: read of register 0x02 at 0x41: not acknowledged (status 0x01)
  [1]
  $ for fault in nak@2 silent@2 gone@3; do cli --timeout-ms 20 --demo-fault $fault set 2 channel-select B; echo $?; done
  qdm7720a-cli: write of register 0x02 at 0x48: not acknowledged (status 0x01)
  1
  qdm7720a-cli: write of register 0x02 at 0x48: no answer from board 0 within 20 ms
  4
  qdm7720a-cli: read-back of register 0x02 at 0x48: board 0 is gone: No such device
  3

dump --fields gives every register with its fields; diff --fields names the
fields that differ, and the bytes of a register where no field does.

  $ cli dump --fields | grep -A2 '^0x06'
  0x06  0x00  Output Drive and PreEmphasis
        7:4  Transmit PreEmphasis         0x0  0.000 mA
        3:0  Transmit Current             0x0  10.000 mA
  $ cli diff --fields file.txt
  0x02 Channel Select: file B, chip A
  0x05: file 0x10, chip 0x00
  0x06 Transmit PreEmphasis: file 0.375 mA, chip 0.000 mA
  0x06 Transmit Current: file 10.500 mA, chip 10.000 mA
  0x11: file 0x05, chip 0x00
  qdm7720a-cli: 4 registers of file.txt differ from the chip
  [1]
  $ cli --json diff --fields file.txt | python3 -c 'import json, sys; print(json.load(sys.stdin)["differences"][0]["fields"])'
  qdm7720a-cli: 4 registers of file.txt differ from the chip
  [{'bits': '1:0', 'chip': {'meaning': 'A', 'value': 0}, 'file': {'meaning': 'B', 'value': 1}, 'name': 'Channel Select'}]
  $ cli dump --all --fields
  qdm7720a-cli: dump takes --all or --fields, not both. See --help.
  [2]
