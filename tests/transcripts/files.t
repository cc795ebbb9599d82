Register files with the tool, on the demo board's chip at 7-bit address 0x48
(address byte 0x90).

  $ cli() { qdm7720a-cli --demo --demo-address 0x48 --address 0x48 "$@"; }
  $ header='//QDM7720A Register File\r\n'

Lines with no value, as a save writes for a cell never read, are skipped and
counted: the text's last line, and "skipped" in JSON.

  $ printf "${header}0x05\t12\r\n0x06\t\r\n0x07\r\n" > gaps.txt
  $ cli --trace - load gaps.txt 2>&1 | grep -v '^[0-9][0-9]:'
  # I2C write 0x48 reg 0x05: 12, acknowledged
  # I2C read 0x48 reg 0x05 count 1: 12, acknowledged
  2 register lines with no value skipped
  $ cli --json diff gaps.txt 2>/dev/null | grep -e skipped -e exitStatus
      "exitStatus": 1,
      "skipped": 2

A line the loader cannot read exactly refuses the file before anything is
written, with the line named and why.

  $ printf "${header}0x05 12\r\n0x053A\r\n" > joined.txt
  $ cli --trace - load joined.txt 2>&1 | grep -v '^[0-9][0-9]:'
  qdm7720a-cli: joined.txt: line 3 is not a register line (a blank or a tab must follow its address): 0x053A
  $ printf "${header}0x05 12\r\n0x04 1" > cut.txt
  $ cli load cut.txt
  qdm7720a-cli: cut.txt: line 3 is not a register line (the file ends in it before the second digit of its value, as if cut off while being written): 0x04 1
  [2]

A save follows links as the system does: ".." after a link leads on from
where the link went.

  $ mkdir -p D other/deep && echo keep > D/victim.txt
  $ ln -s ../other/deep D/sub && ln -s sub/../victim.txt D/l.txt
  $ cli save D/l.txt && head -c 24 other/victim.txt && cat D/victim.txt
  //QDM7720A Register Filekeep
