#!/bin/sh
# Speed of the restore run against the reference server on this machine (by hand, not a test),
# beside ccrypt -d then gunzip on the same stored data.
# "bench/restore-bench.sh small" leaves out the 64 MiB files, "large" the small files.
exec "$(dirname "$0")/with-server.sh" arkvale-restore-bench "$@"
