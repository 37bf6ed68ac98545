#!/usr/bin/env bash
# Tests the collection as a fleet operator uses it, with Debian's ansible-core:
# installed with ansible-galaxy from this folder, ansible-doc and
# --syntax-check clean, then ansible-playbook against localhost driving
# velmora-cli against emulated units (radio-unit-sim) on loopback addresses
# and pseudo-terminals, inside a private network namespace.
# Usage: ansible/tests/run.sh BIN_DIR   (the folder of velmora-cli and radio-unit-sim)
# VELMORA_KEEP=1 keeps its folder (logs, playbook outputs, backups) for a look.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 BIN_DIR" >&2; exit 2; }
bin=$(cd "$1" && pwd)
# Everything it sends stays inside a namespace of its own.
[ -n "${VELMORA_IN_NAMESPACE:-}" ] || exec "$root/scripts/netns.sh" "$0" "$@"
for tool in ansible-playbook ansible-doc ansible-galaxy; do
    [ -x /usr/bin/$tool ] || { echo "/usr/bin/$tool is missing: scripts/deps.sh installs ansible-core" >&2; exit 1; }
done

work=$(mktemp -d)
sims=()
cleanup() {
    for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${sims[@]}"; do wait "$pid" 2>/dev/null || true; done
    if [ -n "${VELMORA_KEEP:-}" ]; then echo "kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

# Ansible's own state and settings from here only: nothing of the machine's
# ansible.cfg, home or installed collections.
mkdir -p "$work/home" "$work/tmp"
export HOME=$work/home ANSIBLE_CONFIG=$work/ansible.cfg
cat >"$ANSIBLE_CONFIG" <<EOF
[defaults]
local_tmp = $work/tmp
remote_tmp = $work/tmp
collections_path = $work/collections
collections_scan_sys_path = False
interpreter_python = /usr/bin/python3
# velmora-cli takes UDP port 2055: one run at a time on this one machine.
forks = 1
retry_files_enabled = False
nocolor = True
EOF

failures=0
passes=0
check() { # NAME COMMAND...: runs it, counts it
    if "${@:2}"; then
        echo "PASS: $1"
        passes=$((passes + 1))
    else
        echo "FAIL: $1"
        failures=$((failures + 1))
    fi
}

/usr/bin/ansible-galaxy collection install "$root/ansible" -p "$work/collections" >"$work/galaxy.log" 2>&1 ||
    { cat "$work/galaxy.log"; exit 1; }

quiet_doc() {
    /usr/bin/ansible-doc velmora.radio.unit_config >"$work/doc.out" 2>"$work/doc.err" &&
        [ ! -s "$work/doc.err" ] && grep -q '^> VELMORA.RADIO.UNIT_CONFIG ' "$work/doc.out" ||
        { cat "$work/doc.err"; return 1; }
}
check "ansible-doc shows the installed module, with nothing on stderr" quiet_doc

# The module's EXAMPLES, as ansible-doc gives them, as the tasks of a play.
/usr/bin/ansible-doc --json velmora.radio.unit_config >"$work/doc.json"
/usr/bin/python3 -c '
import json, sys
doc = json.load(open(sys.argv[1]))["velmora.radio.unit_config"]
sys.stdout.write("- hosts: all\n  tasks:\n" + "".join("    " + l + "\n" if l else "\n" for l in doc["examples"].strip("\n").split("\n")))
' "$work/doc.json" >"$work/examples.yml"

syntax() { # PLAYBOOK INVENTORY
    /usr/bin/ansible-playbook --syntax-check -i "$2" "$1" >"$work/syntax.out" 2>&1 &&
        ! grep -E '\[WARNING\]|\[DEPRECATION' "$work/syntax.out" || { cat "$work/syntax.out"; return 1; }
}
for playbook in "$here"/*.yml "$root/ansible/examples/rollout.yml" "$work/examples.yml"; do
    [ "${playbook##*/}" = inventory.yml ] && continue
    inventory=$here/inventory.yml
    [ "${playbook##*/}" = rollout.yml ] && inventory=$root/ansible/examples/inventory.yml
    check "syntax of ${playbook##*/}" syntax "$playbook" "$inventory"
done

# The README shows the example playbook as it is in examples/.
readme_example() {
    awk '/^# ansible\/examples\/rollout.yml/{on=1} on&&/^```/{exit} on' "$root/README.md" >"$work/readme.yml"
    cmp -s "$work/readme.yml" "$root/ansible/examples/rollout.yml" ||
        { diff "$work/readme.yml" "$root/ansible/examples/rollout.yml"; return 1; }
}
check "the README's example playbook is examples/rollout.yml" readme_example

# The configurations: what the units start with, and the plans.
sample=$root/samples/hump-yard-north.cfg
"$bin/velmora-cli" convert "$sample" "$work/sample.json"
sed -e 's/"dtmfDelay": "5"/"dtmfDelay": "7"/' -e 's/"label": "YARD 1",/"label": "WINTER 1",/' \
    "$work/sample.json" >"$work/plan.json"
sed -e 's/"minVolume": "3"/"minVolume": "6"/' "$work/plan.json" >"$work/plan2.json"
sed -e 's/"label": "WINTER 1",/"label": "SPRING 1",/' "$work/plan.json" >"$work/homes.json"
sed -e 's/"dtmfDelay": "7"/"dtmfDelay": "99"/' "$work/plan.json" >"$work/red.json"
sed -e 's/"serialNumber": "TRV2-004711"/"serialNumber": "TRV2-000003"/' \
    -e 's/"userDescription": "Hump Yard North"/"userDescription": "Unit B"/' "$work/sample.json" >"$work/own.json"
"$bin/velmora-cli" convert "$work/own.json" "$work/own.cfg"
printf '#' >"$work/foreign.cfg"
for file in plan plan2 homes red; do
    cmp -s "$work/$file.json" "$work/sample.json" && { echo "$file.json was not made" >&2; exit 1; }
done

# One emulated unit a process, each with a log of its own: NAME OPTIONS...
start_sim() {
    local name=$1
    shift
    "$bin/radio-unit-sim" "$@" --max-seconds 900 >"$work/sim-$name.log" 2>&1 &
    sims+=($!)
    for ((i = 0; i < 200; i++)); do
        grep -qE '^[0-9:.]+ (udp: listening|pty link:)' "$work/sim-$name.log" && return 0
        kill -0 "${sims[-1]}" 2>/dev/null || break
        sleep 0.05
    done
    echo "radio-unit-sim $name did not start:" >&2
    cat "$work/sim-$name.log" >&2
    exit 1
}
start_sim unit-a --no-serial --udp-address 127.0.0.2 --load "$sample"
start_sim unit-b --no-serial --udp-address 127.0.0.3 --load "$work/own.cfg"
start_sim unit-c --no-udp --pty-link "$work/tty-c" --load "$sample"
start_sim unit-d --no-serial --udp-address 127.0.0.5 --load "$sample" --stop-after 0
start_sim south-1 --no-serial --udp-address 127.0.0.6 --load "$sample"
start_sim south-2 --no-udp --pty-link "$work/tty-s" --load "$sample"

requests() { grep -c ' <- ' "$work/sim-$1.log" || true; }

playbook() { # STATUS NAME PLAYBOOK [OPTIONS...]: runs it, wants this exit status
    local status=0
    timeout 600 /usr/bin/ansible-playbook "${@:3}" -e "$(printf '{"work": "%s", "bin": "%s", "sample": "%s"}' "$work" "$bin" "$sample")" \
        >"$work/$2.out" 2>&1 || status=$?
    if [ "$status" -ne "$1" ]; then
        echo "ansible-playbook $3 ended with $status, not $1:"
        cat "$work/$2.out"
        return 1
    fi
    # The red value of refusals.yml is warned of on purpose.
    if grep -E '\[WARNING\]|\[DEPRECATION' "$work/$2.out" | grep -v ' is shown in red: '; then
        echo "ansible-playbook $3 warned"
        return 1
    fi
}

nothing_sent() {
    for unit in unit-a unit-b unit-c unit-d south-1 south-2; do
        [ "$(requests $unit)" -eq 0 ] || { echo "$unit was sent a request"; return 1; }
    done
}
refusals() { playbook 0 refusals "$here/refusals.yml" -i "$here/inventory.yml" && nothing_sent; }
check "a missing velmora-cli, bad options and bad files fail with velmora-cli's reason, nothing sent" refusals

# A unit that stops answering fails its host; the play goes on for the others.
units() {
    playbook 2 units "$here/units.yml" -i "$here/inventory.yml" &&
        [ -f "$work/units.done" ] &&
        grep -qE '^unit-d +: ok=[0-9]+ +changed=0 +unreachable=0 +failed=1 ' "$work/units.out" &&
        [ "$(grep -cE '^unit-[abc] +: ok=[0-9]+ +changed=[0-9]+ +unreachable=0 +failed=0 ' "$work/units.out")" -eq 3 ] ||
        { cat "$work/units.out"; return 1; }
}
check "units one a host: check, diff, write, again, restore, back up; a silent unit fails alone" units

unit_list() {
    playbook 0 list "$here/list.yml" -i "$here/inventory.yml" && [ -f "$work/list.done" ] ||
        { cat "$work/list.out"; return 1; }
}
check "a list file of units in one task" unit_list

# The README's roll-out: a silent unit in the first depot stops it before the second.
mkdir -p "$work/lists"
# velmora-cli on the PATH, as the package puts it there on a yard machine.
rollout() { PATH=$bin:$PATH playbook "$1" "rollout-$2" "$root/ansible/examples/rollout.yml" -i "$here/inventory.yml" \
    -e "$(printf '{"plan": "%s", "lists": "%s", "velmora_dir": "%s"}' "$work/plan2.json" "$work/lists" "$work/velmora")"; }
printf 'north-1 udp:127.0.0.2\nnorth-2 udp:127.0.0.3\nnorth-9 udp:127.0.0.5\n' >"$work/lists/depot-north.list"
printf 'south-1 udp:127.0.0.6\nsouth-2 serial:%s\n' "$work/tty-s" >"$work/lists/depot-south.list"
stopped() {
    rollout 2 stopped &&
        "$bin/velmora-cli" verify "$work/plan2.json" --udp 127.0.0.2 >/dev/null &&
        [ "$(requests south-1)" -eq 0 ] && [ "$(requests south-2)" -eq 0 ] ||
        { cat "$work/rollout-stopped.out"; return 1; }
}
check "roll-out: a failed unit in depot-north leaves depot-south untouched" stopped
printf 'north-1 udp:127.0.0.2\nnorth-2 udp:127.0.0.3\n' >"$work/lists/depot-north.list"
completed() {
    rollout 0 completed &&
        "$bin/velmora-cli" verify "$work/plan2.json" --udp 127.0.0.6 >/dev/null &&
        "$bin/velmora-cli" verify "$work/plan2.json" --serial "$work/tty-s" >/dev/null ||
        { cat "$work/rollout-completed.out"; return 1; }
}
check "roll-out: both depots, in waves, hold the plan" completed

echo "ansible: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
