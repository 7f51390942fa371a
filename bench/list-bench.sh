#!/bin/sh
# Speed of the Restore command's listing against the reference server on this machine (by hand,
# not a test): 1,000, 10,000 and 100,000 stored files, written straight into the server's catalog
# with sqlite3. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" QT_LOGGING_RULES="qt.qpa.*=false"
exec "$(dirname "$0")/with-server.sh" arkvale-list-bench "$@"
