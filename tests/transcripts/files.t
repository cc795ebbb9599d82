Register files at chip 0x48 (byte 0x90). `st`: the status and all said.

  $ cli() { qdm7720a-cli --demo --demo-address 0x48 --address 0x48 "$@"; }
  $ st() { said=$("$@" 2>&1); echo "$? $said"; }
  $ header='//QDM7720A Register File\r\n'
  $ json() { python3 -c 'import json, sys; print(json.dumps(json.load(sys.stdin), separators=(",", ":")))'; }

  $ cli save saved.txt
  $ cli --trace - save - 2>trace | cmp - saved.txt && grep -c '^# I2C read' trace
  2
  $ cli --json save saved.txt | json
  {"exitStatus":0,"file":"saved.txt","fileHex":"73617665642e747874","registers":14}
  $ st cli save /nonexistent/r.txt
  2 qdm7720a-cli: /nonexistent/r.txt: No such file or directory

Read back in bursts, but not 0x00, 0x01 and the counters; diff reads all.

  $ printf "$header"'0x05\t12\r\n0x06\t34,0x07\tC8\r\n0x0A\t01\r\n0x10\t11\r\n' >edited.txt
  $ cli --trace - load edited.txt 2>&1 | grep '^#'
  # I2C write 0x48 reg 0x05: 12, acknowledged
  # I2C write 0x48 reg 0x06: 34, acknowledged
  # I2C write 0x48 reg 0x07: C8, acknowledged
  # I2C write 0x48 reg 0x0A: 01, acknowledged
  # I2C write 0x48 reg 0x10: 11, acknowledged
  # I2C read 0x48 reg 0x05 count 3: 12 34 C8, acknowledged
  # I2C read 0x48 reg 0x10 count 1: 11, acknowledged
  $ cli --trace - diff edited.txt 2>&1 | grep -v ' out \| in '
  # I2C read 0x48 reg 0x05 count 3: 00 00 CC, acknowledged
  # I2C read 0x48 reg 0x0A count 1: 00, acknowledged
  # I2C read 0x48 reg 0x10 count 1: 10, acknowledged
  0x05: file 0x12, chip 0x00
  0x06: file 0x34, chip 0x00
  0x07: file 0xC8, chip 0xCC
  0x0A: file 0x01, chip 0x00
  0x10: file 0x11, chip 0x10
  qdm7720a-cli: 5 registers of edited.txt differ from the chip
  $ printf "$header"'0x02\tFF\r\n' | cli --json load - | json
  qdm7720a-cli: 1 register of standard input differs from the chip
  {"differences":[{"chip":12,"register":2,"wrote":255}],"error":"1 register of standard input differs from the chip","exitStatus":1,"file":"standard input","registers":[2],"skipped":0,"written":1}
  $ cli --trace - load --no-verify edited.txt 2>&1 | grep -c '^# I2C read'
  0
  [1]
  $ printf "$header"'0x05\t12\r\n0x06\t01\r\n0x05\t34\r\n' >twice.txt
  $ cli --trace - load twice.txt 2>&1 | grep -o 'reg 0x05.*' && st cli diff twice.txt
  reg 0x05: 12, acknowledged
  reg 0x05: 34, acknowledged
  reg 0x05 count 2: 34 01, acknowledged
  1 0x05: file 0x34, chip 0x00
  0x06: file 0x01, chip 0x00
  qdm7720a-cli: 2 registers of twice.txt differ from the chip
  $ cli diff <(cat saved.txt)
  $ mkfifo fifo && (cat saved.txt >fifo &) && cli diff fifo
  $ rm fifo && mkfifo fifo && st cli diff fifo
  2 qdm7720a-cli: fifo: not a register file (its first line must be //QDM7720A Register File)

Refused whole, before the board is reached; the header is line 1.

  $ printf "$header"'0x05\t12\r\n0x06\t\x1b[31m\r\n' >bad.txt
  $ st cli --trace - load bad.txt
  2 qdm7720a-cli: bad.txt: line 3 is not a register line (its value is not one or two hexadecimal digits followed by nothing but blanks): 0x06\t\x1B[31m
  $ printf 'not a register file\r\n' | st cli diff -
  2 qdm7720a-cli: standard input: not a register file (its first line must be //QDM7720A Register File)
  $ printf "$header"'0x04\xa03A\r\n' >high.txt && st cli load high.txt && cli save /dev/stdout | cat
  2 qdm7720a-cli: high.txt: line 2 is not a register line (a blank or a tab must follow its address): 0x04\xA03A
  qdm7720a-cli: /dev/stdout: It is a pipe (FIFO), not a regular file.
  $ cli load - <&-
  qdm7720a-cli: standard input: It is closed.
  [2]
  $ printf "$header"'0x05\t00\r\n0x06\t\r\n' >skip.txt && cli load skip.txt && cli --json diff skip.txt | json
  1 register line with no value skipped
  {"differences":[],"exitStatus":0,"file":"skip.txt","fileHex":"736b69702e747874","skipped":1}

A failure names the line it stopped at, or the read-back.

  $ for fault in nak@2 gone@2 silent@2; do st cli --timeout-ms 20 --demo-fault $fault load edited.txt; done
  1 qdm7720a-cli: edited.txt: line 3: write of register 0x06 at 0x48: not acknowledged (status 0x01); 1 register line was written and stays written (0x05)
  3 qdm7720a-cli: edited.txt: line 3: write of register 0x06 at 0x48: board 0 is gone: No such device; 1 register line was written and stays written (0x05); the write of 0x06 may have reached the chip
  4 qdm7720a-cli: edited.txt: line 3: write of register 0x06 at 0x48: no answer from board 0 within 20 ms; 1 register line was written and stays written (0x05); the write of 0x06 may have reached the chip
  $ cli --json --demo-fault nak@2 load edited.txt 2>/dev/null | tr -d ' \n' | grep -oE '"(registers|written)":(\[[^]]*\]|[0-9]+)'
  "registers":[5]
  "written":1
  $ for fault in nak@6 gone@6; do st cli --demo-fault $fault load edited.txt; done
  1 qdm7720a-cli: read-back of 3 registers from 0x05 at 0x48: not acknowledged (status 0x01)
  3 qdm7720a-cli: read-back of 3 registers from 0x05 at 0x48: board 0 is gone: No such device
  $ for fault in nak@2 gone@2 short@2; do st cli --demo-fault $fault diff edited.txt; done
  1 qdm7720a-cli: read of 1 register from 0x0A at 0x48: not acknowledged (status 0x01)
  3 qdm7720a-cli: read of 1 register from 0x0A at 0x48: board 0 is gone: No such device
  4 qdm7720a-cli: read of 1 register from 0x0A at 0x48: no answer from board 0: only 16 of 64 bytes came in
  $ for fault in nak@2 gone silent@2; do st cli --timeout-ms 20 --demo-fault $fault save saved.txt; done
  1 qdm7720a-cli: read of the main registers at 0x48: not acknowledged (status 0x01)
  3 qdm7720a-cli: read of the main registers at 0x48: board 0 is gone: No such device
  4 qdm7720a-cli: read of the main registers at 0x48: no answer from board 0 within 20 ms

Names are bytes, reaching the system as given, shown escaped.

  $ cli save $'in\xfe.txt' && ls in* | od -c | sed 1q && cli --json diff $'in\xfe.txt' | json
  0000000   i   n 376   .   t   x   t  \n
  {"differences":[],"exitStatus":0,"file":"in\\xFE.txt","fileHex":"696efe2e747874","skipped":0}
  $ st cli load $'no\nsuch\x1b[1m.txt'
  2 qdm7720a-cli: no\nsuch\x1B[1m.txt: No such file or directory
  $ cli save cd.txt && cli save $'\xef\xbb\xbfcd.txt' && ls *cd.txt | od -c | sed 1q
  0000000   c   d   .   t   x   t  \n 357 273 277   c   d   .   t   x   t
  $ for name in $'c\xef\xbb\xbfd.txt' 'lit\xFF' $'\xe2\x80\xae\xe2\x80\x8b\xc2\x85'; do st cli load "$name"; done
  2 qdm7720a-cli: c\uFEFFd.txt: No such file or directory
  2 qdm7720a-cli: lit\\xFF: No such file or directory
  2 qdm7720a-cli: \u202E\u200B\u0085: No such file or directory

Write protection keeps a file, as for any program, run as an ordinary user
(root drops to nobody). In a folder that takes no new file a save writes in
place, and refuses to start a write the size limit would stop.

  $ if [ "$(id -u)" = 0 ]; then as() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }; else as() { "$@"; }; fi
  $ mine=$(as mktemp -d /tmp/qdm-files.XXXXXX) && cd "$mine" && as mkdir locked
  $ as qdm7720a-cli --demo save mine.txt && as cp mine.txt locked/regs.txt && chmod 444 mine.txt
  $ chmod 555 locked && st as qdm7720a-cli --demo save mine.txt
  2 qdm7720a-cli: mine.txt: Permission denied
  $ st as sh -c 'ulimit -f 0; exec qdm7720a-cli --demo save locked/regs.txt'
  2 qdm7720a-cli: locked/regs.txt: File too large
  $ cmp mine.txt locked/regs.txt && cd .. && chmod 755 "$mine/locked" && rm -r "$mine"
