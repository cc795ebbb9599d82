The register fields in the tool, the chip at 0x48 (address byte 0x90).

  $ cli() { qdm7720a-cli --demo --demo-address 0x48 --address 0x48 "$@"; }
  $ printf '//QDM7720A Register File\r\n0x06\t34\r\n0x02\t0D\r\n0x05\t10\r\n0x11\t05\r\n' > file.txt

decode gives each field's bits, value, value after reset, meaning and access,
marked '*' when not its value after reset and '!' when unused or reserved
bits break their rule (of the register read, in the manual's examples); a
byte given is decoded without a board. Channel Select is read-only while a
select mode chooses; --long adds what the description says of each field.

  $ qdm7720a-cli decode 2 0xC1
  0x02  0xC1  Channel Select
      ! 7:6  not used                     0x3  reset 0x0  should read 0          not used
        5    Power Down                   0    reset 0    off                    read-write
        4    Reset                        0    reset 0    normal                 self-clearing
      * 3    Hardware Channel Select      0    reset 1    bits 2:0               read-write
      * 2    Auto Channel Select          0    reset 1    bits 1:0               read-write
      * 1:0  Channel Select               0x1  reset 0x0  B                      read-write, read-only while Hardware Channel Select or Auto Channel Select is set
  $ qdm7720a-cli decode 2 0x04 | sed -n '2p;7p'
        7:6  not used                     0x0  reset 0x0  0                      not used
        1:0  Channel Select               0x0  reset 0x0  A                      read-only while Auto Channel Select is set
  $ qdm7720a-cli decode 3 0x92 --long | head -6
  0x03  0x92  Input Control
      * 7    Recalibrate                  1    reset 0    recalibrate            read-write
             Bit 7 (Recalibrate)
             This bit causes the Rx termination resistors to be recalibrated. To recalibrate them, take this bit high, hold it high for at least 1 ms, and take it low again.
             Calibration is automatically done after poer-on, so this function is not needed in normal opertion.
        6    Rx Hysteresis Magnitude      0    reset 0    10 mV                  read-write

set reads the register, writes it once with only the fields given changed,
and reads it back: a setting's name in any case, the raw value as a plain
number (never a setting's name it begins), the one setting a word begins, a
quantity in the field's unit; several fields as FIELD=VALUE in one write.

  $ cli --trace - set 2 auto-channel-select=0 hardware-channel-select=0 channel-select=c 2>&1 | grep -v '^[0-9][0-9]:'
  # I2C read 0x48 reg 0x02 count 1: 0C, acknowledged
  # I2C write 0x48 reg 0x02: 02, acknowledged
  # I2C read 0x48 reg 0x02 count 1: 02, acknowledged
  0x02 Auto Channel Select: bits 1:0, Hardware Channel Select: bits 2:0, Channel Select: C (0x02)
  $ cli set 2 hardware-channel-select=0 channel-select=C
  qdm7720a-cli: 0x02 Channel Select is read-only while Auto Channel Select is set: clear it in the same write. See --help.
  [2]
  $ cli set 2 'channel select' B
  qdm7720a-cli: 0x02 Channel Select is read-only while Hardware Channel Select and Auto Channel Select are set: clear them in the same write. See --help.
  [2]
  $ cli set 9 test-pattern-generator low
  0x09 Test Pattern Generator: low-frequency pattern (0x02)
  $ cli set 0x10 pll-bandwidth 1
  0x10 PLL Bandwidth: 2 MHz (0x11)
  $ cli set 0x10 pll-bandwidth 4
  qdm7720a-cli: 0x10 PLL Bandwidth takes 0 to 3, or 4 MHz, 2 MHz, 1 MHz, 100 kHz, not '4'. See --help.
  [2]
  $ cli --json set 0x10 'PLL Bandwidth' '100 kHz' | python3 -c 'import json, sys; d = json.load(sys.stdin); print(d["written"], d["readBack"], d["field"])'
  19 19 {'access': 'read-write', 'bits': '1:0', 'default': 0, 'isDefault': False, 'meaning': '100 kHz', 'name': 'PLL Bandwidth', 'value': 3, 'writable': True}

Recalibrate is a pulse, high and low again; a reset reads back clear, which
is no failure.

  $ cli --trace - set 3 recalibrate 1 2>&1 | grep -v '^[0-9][0-9]:'
  # I2C read 0x48 reg 0x03 count 1: 12, acknowledged
  # I2C write 0x48 reg 0x03: 92, acknowledged
  # I2C write 0x48 reg 0x03: 12, acknowledged
  # I2C read 0x48 reg 0x03 count 1: 12, acknowledged
  0x03 Recalibrate: pulsed (0x12)
  $ cli set 2 reset on
  0x02 Reset: normal (0x0C)

What set refuses before it writes, and a chip that does not answer.

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
  qdm7720a-cli: 0x10 Reserved is reserved: it keeps its value after reset. See --help.
  [2]
  $ cli set 2 not-used 0
  qdm7720a-cli: 0x02 bits 7:6 are not used. See --help.
  [2]
  $ cli set 2 reset=1 power-down=on
  qdm7720a-cli: 0x02 Reset resets the chip, which puts every other field back: set it alone. See --help.
  [2]
  $ cli set 2 power-down=on power-down=off
  qdm7720a-cli: 0x02 Power Down is given twice. See --help.
  [2]
  $ cli set 2 channel=B
  qdm7720a-cli: register 0x02 has no field 'channel'; its fields are Power Down, Reset, Hardware Channel Select, Auto Channel Select, Channel Select. See --help.
  [2]
  $ cli set 2 power-down=on B
  qdm7720a-cli: set takes FIELD VALUE, or FIELD=VALUE for each field, not 'B'. See --help.
  [2]
  $ cli set 0x11 x 1
  qdm7720a-cli: the register is one with fields, 0x00 to 0x0C or 0x10, not '0x11'. See --help.
  [2]
  $ cli --address 0x41 set 2 power-down on
  qdm7720a-cli: read of register 0x02 at 0x41: not acknowledged (status 0x01)
  [1]
  $ for fault in nak@2 silent@2 gone@3; do cli --timeout-ms 20 --demo-fault $fault set 2 power-down on; echo $?; done
  qdm7720a-cli: write of register 0x02 at 0x48: not acknowledged (status 0x01)
  1
  qdm7720a-cli: write of register 0x02 at 0x48: no answer from board 0 within 20 ms
  4
  qdm7720a-cli: read-back of register 0x02 at 0x48: board 0 is gone: No such device
  3

dump --fields gives every register with its fields; diff --fields names the
fields that differ, and the bytes of a register without fields. Two files
are compared without a board.

  $ cli dump --fields | grep -A2 '^0x06'
  0x06  0x00  Output Drive and PreEmphasis
        7:4  Transmit PreEmphasis         0x0  reset 0x0  0.000 mA               read-write
        3:0  Transmit Current             0x0  reset 0x0  10.000 mA              read-write
  $ cli diff --fields file.txt
  0x02 Channel Select: file B, chip A
  0x05 not used: file 0x1, chip 0x0
  0x06 Transmit PreEmphasis: file 0.375 mA, chip 0.000 mA
  0x06 Transmit Current: file 10.500 mA, chip 10.000 mA
  0x11: file 0x05, chip 0x00
  qdm7720a-cli: 4 registers of file.txt differ from the chip
  [1]
  $ cli --json diff --fields file.txt | python3 -c 'import json, sys; print(json.load(sys.stdin)["differences"][0]["fields"])'
  qdm7720a-cli: 4 registers of file.txt differ from the chip
  [{'bits': '1:0', 'chip': {'meaning': 'A', 'value': 0}, 'file': {'meaning': 'B', 'value': 1}, 'name': 'Channel Select'}]
  $ printf '//QDM7720A Register File\r\n0x06\t34\r\n0x02\t0C\r\n0x12\t01\r\n0x05\t\r\n' > file2.txt
  $ qdm7720a-cli diff --fields file.txt file2.txt
  0x02 Channel Select: file1 B, file2 A
  0x05: file1 0x10, file2 none
  0x11: file1 0x05, file2 none
  0x12: file1 none, file2 0x01
  file2: 1 register line with no value skipped
  qdm7720a-cli: 4 registers differ between file.txt and file2.txt
  [1]
  $ qdm7720a-cli --json diff file.txt - < file2.txt | python3 -c 'import json, sys; d = json.load(sys.stdin); print(d["files"], d["skipped"], d["differences"][-1])'
  qdm7720a-cli: 4 registers differ between file.txt and standard input
  ['file.txt', 'standard input'] [0, 1] {'file1': None, 'file2': 1, 'register': 18}
  $ qdm7720a-cli diff file.txt file.txt
  $ qdm7720a-cli diff - -
  qdm7720a-cli: diff reads standard input once: - stands for one of the two files, not both. See --help.
  [2]
  $ cli dump --all --fields
  qdm7720a-cli: dump takes --all or --fields, not both. See --help.
  [2]
  $ qdm7720a-cli dump --all --file file.txt
  qdm7720a-cli: dump --file gives the registers the file names; --all reads the chip. See --help.
  [2]
  $ qdm7720a-cli decode 2 --file file.txt
  qdm7720a-cli: --file is an option of dump. See --help.
  [2]

Every field's words, units and hex digits, of registers that all hold other
values than after reset, in a file decoded without a board and as decode's
JSON.

  $ printf '//QDM7720A Register File\r\n0x00\tA3\r\n0x01\tAF\r\n0x02\tF3\r\n0x03\tED\r\n0x04\tFF\r\n0x05\tFF\r\n0x06\tAF\r\n0x07\t3B\r\n0x08\tF0\r\n0x09\tFE\r\n0x0A\tFF\r\n0x0B\t2A\r\n0x0C\t01\r\n0x10\tEF\r\n0x11\t05\r\n' > odd.txt
  $ qdm7720a-cli dump --fields --file odd.txt
  0x00  0xA3  Device ID and Revision
      * 7:4  Device ID                    0xA  reset 0x3  10                     read-only
      * 3:0  Device Revision              0x3  reset 0x1  future revision        read-only
  0x01  0xAF  Channel Activity
      ! 7:4  not used                     0xA  reset 0x0  should read 0          not used
      * 3    Clock Activity D             1    reset 0    active                 read-only
      * 2    Clock Activity C             1    reset 0    active                 read-only
      * 1    Clock Activity B             1    reset 0    active                 read-only
      * 0    Clock Activity A             1    reset 0    active                 read-only
  0x02  0xF3  Channel Select
      ! 7:6  not used                     0x3  reset 0x0  should read 0          not used
      * 5    Power Down                   1    reset 0    on                     read-write
      * 4    Reset                        1    reset 0    reset                  self-clearing
      * 3    Hardware Channel Select      0    reset 1    bits 2:0               read-write
      * 2    Auto Channel Select          0    reset 1    bits 1:0               read-write
      * 1:0  Channel Select               0x3  reset 0x0  D                      read-write, read-only while Hardware Channel Select or Auto Channel Select is set
  0x03  0xED  Input Control
      * 7    Recalibrate                  1    reset 0    recalibrate            read-write
      * 6    Rx Hysteresis Magnitude      1    reset 0    20 mV                  read-write
      * 5    Rx Hysteresis                1    reset 0    on                     read-write
      * 4    Connection Check             0    reset 1    off                    read-write
      * 3    Tristate Selected Data In    1    reset 0    tristated              read-write
      * 2    Tristate Selected Clock In   1    reset 0    tristated              read-write
      * 1    Tri-state Unselected Data In 0    reset 1    terminated             read-write
      * 0    Tristate Unselected Clock In 1    reset 0    tristated              read-write
  0x04  0xFF  Termination Control
      * 7    DATA term Ch A               1    reset 0    100 ohms               read-write
      * 6    DATA term Ch B               1    reset 0    100 ohms               read-write
      * 5    DATA term Ch C               1    reset 0    100 ohms               read-write
      * 4    DATA term Ch D               1    reset 0    100 ohms               read-write
      * 3    CLK term Ch A                1    reset 0    100 ohms               read-write
      * 2    CLK term Ch B                1    reset 0    100 ohms               read-write
      * 1    CLK term Ch C                1    reset 0    100 ohms               read-write
      * 0    CLK term Ch D                1    reset 0    100 ohms               read-write
  0x05  0xFF  Output Options
      ! 7:4  not used                     0xF  reset 0x0  should read 0          not used
      * 3    Reverse Output Order         1    reset 0    crossed                read-write
      * 2    Invert Output Polarity       1    reset 0    inverted               read-write
      * 1    Tristate Data                1    reset 0    tristated              read-write
      * 0    Tristate Clock               1    reset 0    tristated              read-write
  0x06  0xAF  Output Drive and PreEmphasis
      * 7:4  Transmit PreEmphasis         0xA  reset 0x0  1.250 mA               read-write
      * 3:0  Transmit Current             0xF  reset 0x0  11.875 mA              read-write
  0x07  0x3B  Equalization for Channels B and A
      * 7:4  Rx Equalization Gain B       0x3  reset 0xC  3                      read-write
      * 3:0  Rx Equalization Gain A       0xB  reset 0xC  11                     read-write
  0x08  0xF0  Equalization for Channels D and C
      * 7:4  Rx Equalization Gain D       0xF  reset 0xC  maximum boost          read-write
      * 3:0  Rx Equalization Gain C       0x0  reset 0xC  minimum boost          read-write
  0x09  0xFE  Test Registers
      ! 7:3  not used                     0x1F reset 0x00 should read 0          not used
      * 2    Enable PRBS Checker          1    reset 0    on                     read-write
      * 1:0  Test Pattern Generator       0x2  reset 0x0  low-frequency pattern  read-write
  0x0A  0xFF  PRBS7 Error counter Link 0
      * 7:0  PRBS7 Error Counter Link 0   0xFF reset 0x00 255, saturated         cleared by read
  0x0B  0x2A  PRBS7 Error counter Link 1
      * 7:0  PRBS7 Error Counter Link 1   0x2A reset 0x00 42                     cleared by read
  0x0C  0x01  PRBS7 Error counter Link 2
      * 7:0  PRBS7 Error Counter Link 2   0x01 reset 0x00 1                      cleared by read
  0x10  0xEF  PLL Settings
      ! 7:2  Reserved                     0x3B reset 0x04 should be 000100       reserved
      * 1:0  PLL Bandwidth                0x3  reset 0x0  100 kHz                read-write
  0x11  0x05
  $ for rb in 0:0xA3 1:0xAF 2:0xF3 3:0xED 4:0xFF 5:0xFF 6:0xAF 7:0x3B 8:0xF0 9:0xFE 0xA:0xFF 0xB:0x2A 0xC:0x01 0x10:0xEF; do qdm7720a-cli --json decode ${rb%:*} ${rb#*:} | python3 -c 'import json, sys; d = json.load(sys.stdin); print(d["register"], d["value"], d["name"]); [print(json.dumps(f, sort_keys=True)) for f in d["fields"]]'; done
  0 163 Device ID and Revision
  {"access": "read-only", "bits": "7:4", "default": 3, "isDefault": false, "meaning": "10", "name": "Device ID", "value": 10, "writable": false}
  {"access": "read-only", "bits": "3:0", "default": 1, "isDefault": false, "meaning": "future revision", "name": "Device Revision", "value": 3, "writable": false}
  1 175 Channel Activity
  {"access": "not used", "bits": "7:4", "breaksRule": true, "default": 0, "isDefault": false, "meaning": "should read 0", "name": "not used", "rule": "should read 0", "value": 10, "writable": false}
  {"access": "read-only", "bits": "3", "default": 0, "isDefault": false, "meaning": "active", "name": "Clock Activity D", "value": 1, "writable": false}
  {"access": "read-only", "bits": "2", "default": 0, "isDefault": false, "meaning": "active", "name": "Clock Activity C", "value": 1, "writable": false}
  {"access": "read-only", "bits": "1", "default": 0, "isDefault": false, "meaning": "active", "name": "Clock Activity B", "value": 1, "writable": false}
  {"access": "read-only", "bits": "0", "default": 0, "isDefault": false, "meaning": "active", "name": "Clock Activity A", "value": 1, "writable": false}
  2 243 Channel Select
  {"access": "not used", "bits": "7:6", "breaksRule": true, "default": 0, "isDefault": false, "meaning": "should read 0", "name": "not used", "rule": "should read 0", "value": 3, "writable": false}
  {"access": "read-write", "bits": "5", "default": 0, "isDefault": false, "meaning": "on", "name": "Power Down", "value": 1, "writable": true}
  {"access": "self-clearing", "bits": "4", "default": 0, "isDefault": false, "meaning": "reset", "name": "Reset", "value": 1, "writable": true}
  {"access": "read-write", "bits": "3", "default": 1, "isDefault": false, "meaning": "bits 2:0", "name": "Hardware Channel Select", "value": 0, "writable": true}
  {"access": "read-write", "bits": "2", "default": 1, "isDefault": false, "meaning": "bits 1:0", "name": "Auto Channel Select", "value": 0, "writable": true}
  {"access": "read-write, read-only while Hardware Channel Select or Auto Channel Select is set", "bits": "1:0", "default": 0, "isDefault": false, "meaning": "D", "name": "Channel Select", "value": 3, "writable": true}
  3 237 Input Control
  {"access": "read-write", "bits": "7", "default": 0, "isDefault": false, "meaning": "recalibrate", "name": "Recalibrate", "value": 1, "writable": true}
  {"access": "read-write", "bits": "6", "default": 0, "isDefault": false, "meaning": "20 mV", "name": "Rx Hysteresis Magnitude", "value": 1, "writable": true}
  {"access": "read-write", "bits": "5", "default": 0, "isDefault": false, "meaning": "on", "name": "Rx Hysteresis", "value": 1, "writable": true}
  {"access": "read-write", "bits": "4", "default": 1, "isDefault": false, "meaning": "off", "name": "Connection Check", "value": 0, "writable": true}
  {"access": "read-write", "bits": "3", "default": 0, "isDefault": false, "meaning": "tristated", "name": "Tristate Selected Data In", "value": 1, "writable": true}
  {"access": "read-write", "bits": "2", "default": 0, "isDefault": false, "meaning": "tristated", "name": "Tristate Selected Clock In", "value": 1, "writable": true}
  {"access": "read-write", "bits": "1", "default": 1, "isDefault": false, "meaning": "terminated", "name": "Tri-state Unselected Data In", "value": 0, "writable": true}
  {"access": "read-write", "bits": "0", "default": 0, "isDefault": false, "meaning": "tristated", "name": "Tristate Unselected Clock In", "value": 1, "writable": true}
  4 255 Termination Control
  {"access": "read-write", "bits": "7", "default": 0, "isDefault": false, "meaning": "100 ohms", "name": "DATA term Ch A", "value": 1, "writable": true}
  {"access": "read-write", "bits": "6", "default": 0, "isDefault": false, "meaning": "100 ohms", "name": "DATA term Ch B", "value": 1, "writable": true}
  {"access": "read-write", "bits": "5", "default": 0, "isDefault": false, "meaning": "100 ohms", "name": "DATA term Ch C", "value": 1, "writable": true}
  {"access": "read-write", "bits": "4", "default": 0, "isDefault": false, "meaning": "100 ohms", "name": "DATA term Ch D", "value": 1, "writable": true}
  {"access": "read-write", "bits": "3", "default": 0, "isDefault": false, "meaning": "100 ohms", "name": "CLK term Ch A", "value": 1, "writable": true}
  {"access": "read-write", "bits": "2", "default": 0, "isDefault": false, "meaning": "100 ohms", "name": "CLK term Ch B", "value": 1, "writable": true}
  {"access": "read-write", "bits": "1", "default": 0, "isDefault": false, "meaning": "100 ohms", "name": "CLK term Ch C", "value": 1, "writable": true}
  {"access": "read-write", "bits": "0", "default": 0, "isDefault": false, "meaning": "100 ohms", "name": "CLK term Ch D", "value": 1, "writable": true}
  5 255 Output Options
  {"access": "not used", "bits": "7:4", "breaksRule": true, "default": 0, "isDefault": false, "meaning": "should read 0", "name": "not used", "rule": "should read 0", "value": 15, "writable": false}
  {"access": "read-write", "bits": "3", "default": 0, "isDefault": false, "meaning": "crossed", "name": "Reverse Output Order", "value": 1, "writable": true}
  {"access": "read-write", "bits": "2", "default": 0, "isDefault": false, "meaning": "inverted", "name": "Invert Output Polarity", "value": 1, "writable": true}
  {"access": "read-write", "bits": "1", "default": 0, "isDefault": false, "meaning": "tristated", "name": "Tristate Data", "value": 1, "writable": true}
  {"access": "read-write", "bits": "0", "default": 0, "isDefault": false, "meaning": "tristated", "name": "Tristate Clock", "value": 1, "writable": true}
  6 175 Output Drive and PreEmphasis
  {"access": "read-write", "bits": "7:4", "default": 0, "isDefault": false, "meaning": "1.250 mA", "name": "Transmit PreEmphasis", "value": 10, "writable": true}
  {"access": "read-write", "bits": "3:0", "default": 0, "isDefault": false, "meaning": "11.875 mA", "name": "Transmit Current", "value": 15, "writable": true}
  7 59 Equalization for Channels B and A
  {"access": "read-write", "bits": "7:4", "default": 12, "isDefault": false, "meaning": "3", "name": "Rx Equalization Gain B", "value": 3, "writable": true}
  {"access": "read-write", "bits": "3:0", "default": 12, "isDefault": false, "meaning": "11", "name": "Rx Equalization Gain A", "value": 11, "writable": true}
  8 240 Equalization for Channels D and C
  {"access": "read-write", "bits": "7:4", "default": 12, "isDefault": false, "meaning": "maximum boost", "name": "Rx Equalization Gain D", "value": 15, "writable": true}
  {"access": "read-write", "bits": "3:0", "default": 12, "isDefault": false, "meaning": "minimum boost", "name": "Rx Equalization Gain C", "value": 0, "writable": true}
  9 254 Test Registers
  {"access": "not used", "bits": "7:3", "breaksRule": true, "default": 0, "isDefault": false, "meaning": "should read 0", "name": "not used", "rule": "should read 0", "value": 31, "writable": false}
  {"access": "read-write", "bits": "2", "default": 0, "isDefault": false, "meaning": "on", "name": "Enable PRBS Checker", "value": 1, "writable": true}
  {"access": "read-write", "bits": "1:0", "default": 0, "isDefault": false, "meaning": "low-frequency pattern", "name": "Test Pattern Generator", "value": 2, "writable": true}
  10 255 PRBS7 Error counter Link 0
  {"access": "cleared by read", "bits": "7:0", "default": 0, "isDefault": false, "meaning": "255, saturated", "name": "PRBS7 Error Counter Link 0", "value": 255, "writable": false}
  11 42 PRBS7 Error counter Link 1
  {"access": "cleared by read", "bits": "7:0", "default": 0, "isDefault": false, "meaning": "42", "name": "PRBS7 Error Counter Link 1", "value": 42, "writable": false}
  12 1 PRBS7 Error counter Link 2
  {"access": "cleared by read", "bits": "7:0", "default": 0, "isDefault": false, "meaning": "1", "name": "PRBS7 Error Counter Link 2", "value": 1, "writable": false}
  16 239 PLL Settings
  {"access": "reserved", "bits": "7:2", "breaksRule": true, "default": 4, "isDefault": false, "meaning": "should be 000100", "name": "Reserved", "rule": "should be 000100", "value": 59, "writable": false}
  {"access": "read-write", "bits": "1:0", "default": 0, "isDefault": false, "meaning": "100 kHz", "name": "PLL Bandwidth", "value": 3, "writable": true}
