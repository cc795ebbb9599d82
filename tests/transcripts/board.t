  $ st() { said=$("$@" 2>&1); echo "$? $said"; }
  $ json() { python3 -c 'import json, sys; print(json.dumps(json.load(sys.stdin), separators=(",", ":")))'; }

  $ qdm7720a-cli --demo --json list | json
  {"boards":[{"firmware":"2.0","firmwareDate":"2010-01-15","instance":0,"path":"sim:board0","serialNumber":"SIM0000"}],"exitStatus":0}
  $ qdm7720a-cli --demo --trace - --demo-boards 2 --board 1 clock 60 2>&1 |
  > sed -E 's/^[0-9:.]+ ((out|in) [0-9]( [0-9A-F]{2}){4}).*/\1/'
  out 1 00 03 00 3C
  # I2C clock set: divider 60
  out 1 00 03 01 00
  in 1 00 00 0C 3C
  # I2C clock query: base 12 MHz, divider 60
  200 kHz (base clock 12 MHz, divider 60)
  $ qdm7720a-cli --demo --trace - led OFF 2>&1 | grep '^#\|^o'
  # board signals set: LED off, poll on
  # board signals query: LED off
  off

No board: an empty list for list, status 3 for the others.

  $ qdm7720a-cli --json list | json
  qdm7720a-cli: no QDM7720A evaluation board found (--demo runs on a simulated one)
  {"boards":[],"exitStatus":0}
  $ st qdm7720a-cli read 0
  3 qdm7720a-cli: no QDM7720A evaluation board found (--demo runs on a simulated one)
  $ st qdm7720a-cli --demo --demo-boards 2 --board 2 led
  3 qdm7720a-cli: there is no board 2: 2 found, numbered from 0

Usage (2), the board gone (3), silent or short (4); nak leaves them alone.

  $ st qdm7720a-cli --demo list 1
  2 qdm7720a-cli: list takes no arguments. See --help.
  $ st qdm7720a-cli --demo clock 0
  2 qdm7720a-cli: the divider is 1 to 255, not '0'. See --help.
  $ st qdm7720a-cli --demo led dim
  2 qdm7720a-cli: led takes on or off, not 'dim'. See --help.
  $ for fault in gone silent short@2; do
  >   for command in list 'clock 60' 'led on'; do
  >     st qdm7720a-cli --demo --timeout-ms 20 --demo-fault $fault $command
  >   done
  > done
  3 0  sim:board0  serial SIM0000  firmware no answer
  qdm7720a-cli: firmware query of board 0: board 0 is gone: No such device
  3 qdm7720a-cli: I2C clock query: board 0 is gone: No such device
  3 qdm7720a-cli: LED query: board 0 is gone: No such device
  4 0  sim:board0  serial SIM0000  firmware no answer
  qdm7720a-cli: firmware query of board 0: no answer from board 0 within 20 ms
  4 qdm7720a-cli: I2C clock query: no answer from board 0 within 20 ms
  4 qdm7720a-cli: LED query: no answer from board 0 within 20 ms
  0 0  sim:board0  serial SIM0000  firmware 2.0 2010-01-15
  4 qdm7720a-cli: I2C clock query: no answer from board 0: only 16 of 64 bytes came in
  4 qdm7720a-cli: LED query: no answer from board 0: only 16 of 64 bytes came in
  $ st qdm7720a-cli --demo --demo-boards 2 --timeout-ms 20 --demo-fault silent list
  4 0  sim:board0  serial SIM0000  firmware no answer
  1  sim:board1  serial SIM0001  firmware no answer
  qdm7720a-cli: firmware query of board 0: no answer from board 0 within 20 ms; firmware query of board 1: no answer from board 1 within 20 ms
  $ st qdm7720a-cli --demo --demo-fault nak clock
  0 100 kHz (base clock 12 MHz, divider 120)
