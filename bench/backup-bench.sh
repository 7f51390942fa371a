#!/bin/sh
# Speed of the backup run against the reference server on this machine (by hand, not a test).
# "bench/backup-bench.sh small" leaves out the 64 MiB files.
exec "$(dirname "$0")/with-server.sh" arkvale-bench "$@"
