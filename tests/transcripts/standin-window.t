The window program on the real USB path (hidapi: the tests' stand-in), stopped
once its start-up is done with the board, waiting for an answer to a message.

  $ started() {
  >   LD_PRELOAD=$QDM_HIDSTANDIN qdm7720a-eval --trace trace 2>err & pid=$!
  >   for i in $(seq 300); do grep -q "$1" trace err 2>/dev/null && break; sleep 0.1; done
  >   kill $pid && wait $pid
  >   sed -E 's/^[0-9:.]+ (.{26}).*/\1/; s/ +$//' trace; sed -n '/^qdm7720a-eval:/p' err
  > }

The board's LED and clock; pulled out before the clock is set back, the
write is refused, with its reason.

  $ QDM_STANDIN_FAULTS=unplug@3 started 'eval: board 0' | sed -n '1,2p;/^#/p;/refused/p;/^qdm/p'
  out 0 00 01 01 00 00 00 00
  in 0 00 00 00 00 00 00 00
  # board signals query: LED off
  # I2C clock query: base 12 MHz, divider 120
  out-refused 0 00 03 00 78
  # board 0: the write of the output report failed: No such device
  qdm7720a-eval: board 0: the write of the output report failed: No such device

No board at all: the not-found message waits, and a terminal learns of --demo.

  $ QDM_STANDIN_FAULTS=unplug started 'demo'
  qdm7720a-eval: no QDM7720A evaluation board is plugged in; 'qdm7720a-eval --demo' runs on a simulated one.
