#!/usr/bin/env bash
# Runs a command in a private network namespace with loopback only, so that
# nothing it sends can leave the machine: with "unshare -n" as root, else
# (or where that is refused, as in some containers) in a user namespace with
# "unshare -rn". Where neither works it says so in one line and runs the
# command on the machine's own loopback.
# Usage: scripts/netns.sh COMMAND [ARGUMENT...]
set -euo pipefail
# Set once decided, so that a script that runs itself again is not wrapped twice.
[ -n "${VELMORA_IN_NAMESPACE:-}" ] && exec "$@"
tries=(-rn)
[ "$(id -u)" -eq 0 ] && tries=(-n -rn)
for flags in "${tries[@]}"; do
    if unshare "$flags" true 2>/dev/null; then
        exec unshare "$flags" env VELMORA_IN_NAMESPACE=1 \
            sh -c 'ip link set lo up && exec "$@"' sh "$@"
    fi
done
echo "No private network namespace here (unshare -n and -rn refused): running on the shared loopback." >&2
VELMORA_IN_NAMESPACE=shared exec "$@"
