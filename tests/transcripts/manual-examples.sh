#!/bin/sh
# Runs the examples of a manual page as a cram transcript: every example
# (.EX to .EE) in its EXAMPLES section that begins with a command line ("$ ")
# runs, and what it prints must be what the page shows, byte for byte; but
# not one after a comment line '.\" untested: WHY'.
# Usage: manual-examples.sh PAGE TRANSCRIPT CRAM
set -eu
awk '/^\.SH / { examples = $2 == "EXAMPLES" }
     /^\.\\" untested:/ { untested = 1 }
     examples && /^\.EX$/ { block = !untested; first = 1; untested = 0; next }
     /^\.EE$/ { block = 0 }
     block && first && !/^\$ / { block = 0 }
     block { first = 0; print "  " $0 }' "$1" |
    sed -e "s/\\\\(aq/'/g" -e 's/\\-/-/g' -e 's/\\e/\\/g' >"$2"
exec "$3" --shell=/bin/bash "$2"
