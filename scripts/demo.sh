#!/usr/bin/env bash
echo "The demo is not available yet: the server and the host are still being built." >&2
exit 1
