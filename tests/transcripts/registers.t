The register commands on the demo board, with its chip at 7-bit address 0x48
(address byte 0x90), so that the two forms of the address differ.

  $ cli() { qdm7720a-cli --demo --demo-address 0x48 --address 0x48 "$@"; }

A read of three registers names each; one register is its value alone.

  $ cli read 0x00 3
  0x00 0x31
  0x01 0x00
  0x02 0x0C
  $ cli read 0x07
  0xCC
