Options and streams of both programs. `st`: the status and all said.

  $ st() { said=$("$@" 2>&1); echo "$? $said"; }
  $ cli() { qdm7720a-cli --demo "$@"; }

  $ qdm7720a-cli --help | grep -c -- '--demo-fault\|--read-back\|scan \[FIRST \[LAST\]\]'
  4
  $ for line in --help-all '' bogus '--all read 0' '--demo-boards 2 list' \
  >     '--demo --demo-fault nak@0 list' "--trace '' list" '--demo --demo-boards 17 list' \
  >     '--demo --address 0x90 read 0' "prbs --channel ''" "sweep --channel A --generator ''" \
  >     '--json read 0x100'; do
  >   st eval qdm7720a-cli $line
  > done
  2 qdm7720a-cli: Unknown option 'help-all'. See --help.
  2 qdm7720a-cli: no command given. See --help.
  2 qdm7720a-cli: unknown command 'bogus'. See --help.
  2 qdm7720a-cli: --all is an option of dump. See --help.
  2 qdm7720a-cli: --demo-boards is an option of --demo. See --help.
  2 qdm7720a-cli: --demo-fault takes nak, silent, gone or short, with @N for the exchange it starts at (1 to 1000000), not 'nak@0'. See --help.
  2 qdm7720a-cli: --trace takes a file name, or - for standard error. See --help.
  2 qdm7720a-cli: --demo-boards takes a number from 1 to 16, not '17'. See --help.
  2 qdm7720a-cli: --address takes a 7-bit address, 0 to 127 or 0x00 to 0x7F, not '0x90'. See --help.
  2 qdm7720a-cli: --channel takes A, B, C or D, not ''. See --help.
  2 qdm7720a-cli: --generator takes prbs7, low, high or off, not ''. See --help.
  2 qdm7720a-cli: the register is 0 to 255, not '0x100'. See --help.
  $ timeout 3 qdm7720a-cli --demo --demo-fault silent read 0; echo $? # an answer may take 6 s
  124
  $ qdm7720a-eval --demo --demo-boards 16 --demo-fault gone@9 --version | sed 's/[0-9.]*$/VERSION/'
  qdm7720a-eval VERSION
  $ for line in '--demo --demo-boards 17' '--demo-fault nak' '--demo --demo-fault nak@x' \
  >     '--trace /nonexistent/t' "--trace ''" $'--trace /nonexistent/\xef\xbb\xbft'; do
  >   st eval qdm7720a-eval $line
  > done
  2 qdm7720a-eval: --demo-boards takes a number from 1 to 16. See --help.
  2 qdm7720a-eval: --demo-fault is an option of --demo. See --help.
  2 qdm7720a-eval: --demo-fault takes nak, silent, gone or short, with @N for the exchange it starts at (1 to 1000000), not 'nak@x'. See --help.
  2 qdm7720a-eval: cannot write the trace to /nonexistent/t: No such file or directory
  2 qdm7720a-eval: --trace takes a file name, or - for standard error. See --help.
  2 qdm7720a-eval: cannot write the trace to /nonexistent/\uFEFFt: No such file or directory

Output that cannot be written is status 2 with one line.

  $ cli read 0 >&-; echo $?
  qdm7720a-cli: cannot write standard output: Bad file descriptor
  2
  $ cli write 5 1 >&-; echo $?
  0
  $ cli dump >/dev/full; echo $?
  qdm7720a-cli: cannot write standard output: No space left on device
  2
  $ cli prbs --seconds 1 >/dev/full; cli sweep --channel A --to 1 >&-; echo $?
  qdm7720a-cli: cannot write standard output: No space left on device
  qdm7720a-cli: cannot write standard output: Bad file descriptor
  2
  $ qdm7720a-cli --help >/dev/full; echo $?
  qdm7720a-cli: cannot write standard output: No space left on device
  2
  $ qdm7720a-eval --version >/dev/full; echo $?
  qdm7720a-eval: cannot write standard output: No space left on device
  2

Traces: after the command line, never waiting or on its files, cut on failure.

  $ echo kept >t.txt && st cli --trace t.txt read 0x100 && cat t.txt
  2 qdm7720a-cli: the register is 0 to 255, not '0x100'. See --help.
  kept
  $ mkfifo fifo && st cli --trace fifo read 0 && st qdm7720a-eval --demo --trace fifo
  2 qdm7720a-cli: cannot write the trace to fifo: no process reads it
  2 qdm7720a-eval: cannot write the trace to fifo: no process reads it
  $ cli --trace >(grep -c '^#' >count) read 0 100 >/dev/null; wait $!; cat count
  2
  $ cli save r.txt && st cli --trace r.txt load r.txt && cli diff r.txt
  2 qdm7720a-cli: cannot write the trace to r.txt: it is a file the command reads or writes
  $ for f in - /dev/stdin; do st cli --trace r.txt diff $f <r.txt; done
  2 qdm7720a-cli: cannot write the trace to r.txt: it is a file the command reads or writes
  2 qdm7720a-cli: cannot write the trace to r.txt: it is a file the command reads or writes
  $ st cli --trace ./r.txt save r.txt && ln -s r.txt link && st cli --trace link diff r.txt
  2 qdm7720a-cli: cannot write the trace to ./r.txt: it is a file the command reads or writes
  2 qdm7720a-cli: cannot write the trace to link: it is a file the command reads or writes
  $ st cli --trace ./n.txt save n.txt; test -e n.txt || echo no n.txt
  2 qdm7720a-cli: cannot write the trace to ./n.txt: it is a file the command reads or writes
  no n.txt
  $ ln -s n.txt link-n && st cli --trace link-n save n.txt; test -e n.txt || echo no n.txt
  2 qdm7720a-cli: cannot write the trace to link-n: it is a file the command reads or writes
  no n.txt
  $ cli --trace link-n read 0 && grep -c '^#' n.txt
  0x31
  1
  $ for t in /dev/stdout /proc/self/fd/1; do
  >   cli --trace $t --json read 0 >o.json; python3 -m json.tool o.json >/dev/null && echo valid
  > done
  qdm7720a-cli: cannot write the trace to /dev/stdout: it is a file the command reads or writes
  valid
  qdm7720a-cli: cannot write the trace to /proc/self/fd/1: it is a file the command reads or writes
  valid
  $ cli --trace /dev/full read 0; echo $?
  qdm7720a-cli: the trace to /dev/full stops here: No space left on device
  0x31
  2
  $ sh -c 'ulimit -f 0; exec qdm7720a-cli --demo --trace big.log read 0'
  qdm7720a-cli: the trace to big.log stops here: File too large
  0x31
  [2]
  $ python3 -c 'import os, subprocess; r, w = os.pipe(); os.close(r); os.dup2(w, 9); print(subprocess.run(["qdm7720a-cli", "--demo", "--trace", "/dev/fd/9", "write", "5", "1"], pass_fds=[9]).returncode)'
  qdm7720a-cli: the trace to /dev/fd/9 stops here: Broken pipe
  2
  $ cli --trace $'t\xff.txt' read 0 && ls t* | od -c | sed -n 1p
  0x31
  0000000   t   .   t   x   t  \n   t 377   .   t   x   t  \n

The window program (its chip at the start-up address: no question) started
with 0 and 2 closed opens them on /dev/null; a trace it cannot write (a pipe
without a reader, a full disk) is cut with one line and never ends it.

  $ python3 -c 'import os, subprocess as s, time
  > r, w = os.pipe(); os.close(r)
  > p = s.Popen(["qdm7720a-eval", "--demo", "--demo-address", "0", "--trace", "/dev/fd/1"],
  >             stdin=s.PIPE, stdout=w, stderr=s.PIPE, preexec_fn=lambda: (os.close(0), os.close(2)))
  > time.sleep(3); print(p.poll(), *(os.readlink("/proc/%d/fd/%d" % (p.pid, n)) for n in (0, 2)))
  > p.kill()'
  None /dev/null /dev/null
  $ qdm7720a-eval --demo --demo-address 0 --trace /dev/full 2>err & pid=$!
  $ for i in $(seq 50); do grep -q 'stops here' err && break; sleep 0.1; done; sleep 1
  $ kill $pid && wait $pid; echo $?; grep 'stops here' err
  143
  qdm7720a-eval: the trace to /dev/full stops here: No space left on device

The completion offers the simulated board's options only after --demo.

  $ offer() {
  >   _init_completion() { cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  >     words=("${COMP_WORDS[@]}") cword=$COMP_CWORD split=false; }
  >   COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)); _qdm7720a_cli; echo "${COMPREPLY[*]}"
  > }
  $ . ${QDM_SOURCE_DIR:-$TESTDIR/../..}/packaging/linux/qdm7720a-cli.bash-completion
  $ offer qdm7720a-cli --demo --demo-
  --demo-boards --demo-address --demo-fault
  $ offer qdm7720a-cli --demo --demo-fault s
  silent short
  $ offer qdm7720a-cli write 5 --re
  --read-back
  $ offer qdm7720a-cli set 2 ''; offer qdm7720a-cli set 2 power-down=1 a
  power-down reset hardware-channel-select auto-channel-select channel-select
  auto-channel-select=
  $ offer qdm7720a-cli --tmds-clock 148.5M prbs --b
  --board --bit-rate --ber
