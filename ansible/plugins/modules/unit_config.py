#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright 2026 KVLT

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: unit_config
short_description: Write, restore or back up Tarvo Radio II units with velmora-cli
version_added: "1.2.0"
description:
  - Runs C(velmora-cli --json) on the host where the task runs (for units on
    another network or serial cable, delegate the task to the machine that
    reaches them) and reports its result per unit.
  - With I(state=present) it writes a configuration file to the units that
    differ from it, after backing each unit up; units that already hold it are
    not written and the task is not C(changed).
  - Everything about the units, the files and the backups is done by
    C(velmora-cli) itself, and its refusals are reported in C(msg) as it
    gives them.
requirements:
  - velmora-cli (from the velmora-radio package) on the host where the task runs
options:
  src:
    description:
      - The configuration to write, a data file of velmora-radio or, ending in
        C(.json), its text form.
      - Required with I(state=present), not taken otherwise.
    type: path
  udp:
    description:
      - The IPv4 address of one unit, reached over UDP port 2055.
    type: str
  serial:
    description:
      - The serial port of one unit, such as C(/dev/ttyUSB0).
    type: str
  units:
    description:
      - A list file of units on the host where the task runs, one a line,
        C(udp:ADDRESS) or C(serial:PORT), optionally after a name
        (C(loco-4411 udp:192.0.2.7)); C(#) starts a comment.
      - All its units are served at the same time.
    type: path
  keep_identity:
    description:
      - Leave each unit its own IP address, subnet mask, gateway, serial
        number and description, and write the rest of I(src).
    type: bool
    default: false
  home_bypass:
    description:
      - Leave the 500 home channels out and read and write the general settings
        only.
    type: bool
    default: false
  backup_dir:
    description:
      - The folder of the backups on the host where the task runs, one file a
        unit, named C(NAME-YYYYMMDD-HHMMSS.cfg).
      - With I(state=present) and I(state=backed_up), where each unit is read
        to before anything is written; default C(backups) in the folder the
        task runs in.
      - With I(state=restored), where each unit's newest backup is taken from;
        required there.
    type: path
  state:
    description:
      - C(present) writes I(src) to every unit that differs from it.
      - C(restored) writes each unit's newest backup in I(backup_dir) back to
        it; a unit is backed up again first (C(.before-restore.cfg)).
      - C(backed_up) only reads each unit into I(backup_dir).
    type: str
    choices: [present, restored, backed_up]
    default: present
  executable:
    description:
      - The velmora-cli to run; by default the one found on the task's
        C(PATH).
    type: path
extends_documentation_fragment:
  - ansible.builtin.action_common_attributes
attributes:
  check_mode:
    support: partial
    details:
      - With I(state=present), C(velmora-cli plan) reads every unit and
        reports C(changed) where a write would change it; no write frame is
        sent and no backup is taken.
      - With I(state=restored) and I(state=backed_up) the task is skipped.
  diff_mode:
    support: partial
    details:
      - >-
        With I(state=present), each unit that differs (or, in check mode,
        would) gets a diff of the differing fields, one C(name: value) a line.
        Outside check mode this costs one more read of every unit, before the
        write.
  platform:
    platforms: posix
notes:
  - >-
    velmora-cli listens on UDP port 2055 of the host it runs on. Two runs at
    once on one host take each other's answers, so tasks delegated to the
    same host must run one after the other (C(throttle: 1), or C(serial: 1)
    as in the README's example); one task serves a whole list file at once.
  - A unit counts as C(changed) when it was written (or, in check mode, would
    be). With I(state=backed_up) the task is C(changed) when it wrote a
    backup file.
  - Values of I(src) that velmora-radio's window shows in red are the
    task's warnings; velmora-cli writes them as they are.
  - A unit that fails (no answer, refused write, read-back differs, no
    backup to restore) fails the task; the other units of the task are
    still served and reported in C(units).
author:
  - Velmora Radio maintainers (@velmora)
"""

EXAMPLES = r"""
- name: Write the winter plan to one unit, keeping its address and name
  velmora.radio.unit_config:
    src: /var/lib/velmora/winter.cfg
    udp: 192.0.2.17
    keep_identity: true
    backup_dir: /var/lib/velmora/backups

- name: Write a plan to every unit of a depot, from the machine that reaches them
  velmora.radio.unit_config:
    src: /var/lib/velmora/winter.json
    units: /etc/velmora/depot-north.list
    keep_identity: true
    backup_dir: /var/lib/velmora/backups
  delegate_to: yardpc-north.example.net

- name: Back a unit on a serial cable up
  velmora.radio.unit_config:
    serial: /dev/ttyUSB0
    state: backed_up
    backup_dir: /var/lib/velmora/backups

- name: Put the depot's units back as they were before the roll-out
  velmora.radio.unit_config:
    units: /etc/velmora/depot-north.list
    state: restored
    backup_dir: /var/lib/velmora/backups
"""

RETURN = r"""
changed:
  description: Whether a unit was written (in check mode, would be), or with
    I(state=backed_up) a backup written.
  returned: always
  type: bool
failed:
  description: Whether a unit failed or velmora-cli refused the task.
  returned: always
  type: bool
msg:
  description:
    - With one unit, velmora-cli's sentence on it; with several, the failed
      units' sentences or else how many changed.
    - When velmora-cli refused the command (exit status 2), its reason.
  returned: always
  type: str
rc:
  description: The exit status of velmora-cli (0 all units succeeded, 1 a
    unit failed, 2 bad input and nothing sent, 3 in check mode a unit would
    change).
  returned: when velmora-cli ran
  type: int
backup_file:
  description: The backup written, when the task served one unit; with
    several, each unit's is in C(units).
  returned: when a backup was written of the one unit
  type: str
  sample: /var/lib/velmora/backups/127.0.0.2-20260114-081502.cfg
differences:
  description:
    - The fields that differ between a unit and what it is to hold, each unit's
      as velmora-cli reported them, in check mode and diff mode from
      C(velmora-cli plan) (what the unit holds against what I(src) makes it),
      otherwise where a unit's read-back differed from what was sent.
  returned: when velmora-cli served the units
  type: list
  elements: dict
  contains:
    unit:
      description: The unit's name.
      type: str
    field:
      description: The field, such as C(general.ip) or C(home.12.rx).
      type: str
    before:
      description: What the unit holds (null for a field never set).
      type: str
    after:
      description: What the unit is to hold.
      type: str
units:
  description: velmora-cli's result for each unit, in the order given, as it
    printed them (C(backup_file) made absolute).
  returned: when velmora-cli served the units
  type: list
  elements: dict
  contains:
    unit:
      description: The unit's name, from the list file, else its address or
        port.
      type: str
    link:
      description: C(udp) or C(serial).
      type: str
    result:
      description: >-
        Such as C(ok), C(unchanged), C(timeout), C(no backup) or
        C(verify: 3 fields differ).
      type: str
    ok:
      description: Whether the unit succeeded.
      type: bool
    changed:
      description: Whether the unit was written (in check mode, would be).
      type: bool
    failed:
      description: Whether the unit failed.
      type: bool
    msg:
      description: A sentence on the unit.
      type: str
    seconds:
      description: How long the unit took.
      type: float
    backup_file:
      description: The backup written of the unit.
      type: str
    differences:
      description: The fields that differ, C(field), C(before) and C(after).
      type: list
      elements: dict
"""

import json
import os

from ansible.module_utils.basic import AnsibleModule


WARNING = "velmora-cli: warning: "
warned = set()


class Refused(Exception):
    """velmora-cli could not be run or refused the command."""

    def __init__(self, msg, rc=None):
        Exception.__init__(self, msg)
        self.msg = msg
        self.rc = rc


def unit_arguments(params):
    for option in ("udp", "serial", "units"):
        if params[option] is not None:
            return ["--" + option, params[option]]
    return []


def find_cli(module):
    path = module.params["executable"]
    if path is None:
        path = module.get_bin_path("velmora-cli")
        if path is None:
            raise Refused(
                "velmora-cli was not found on the PATH of the host the task runs on (%s); "
                "install the velmora-radio package there or give executable"
                % os.environ.get("PATH", ""))
    elif not (os.path.isfile(path) and os.access(path, os.X_OK)):
        raise Refused("%s is not an executable file" % path)
    return path


def run(module, cli, arguments, expected):
    """Runs velmora-cli --json; its exit status and its units."""
    command = [cli, "--json"] + arguments
    rc, out, err = module.run_command(command)
    # Its warnings (values the window shows in red) are the task's warnings;
    # what else it says on stderr is the reason.
    lines = [line for line in err.splitlines() if line.strip()]
    for line in lines:
        if line.startswith(WARNING) and line not in warned:
            warned.add(line)  # plan and write in one task warn alike
            module.warn(line[len(WARNING):])
    reason = "\n".join(line for line in lines if not line.startswith(WARNING))
    if rc == 2:
        raise Refused(reason or "velmora-cli refused the command (exit status 2)", rc)
    if rc not in expected:
        raise Refused("velmora-cli ended with status %d%s" % (rc, ": " + reason if reason else ""), rc)
    units = []
    for line in out.splitlines():
        if not line.strip():
            continue
        try:
            unit = json.loads(line)
        except ValueError:
            raise Refused("velmora-cli printed a line that is not JSON: %s" % line, rc)
        if not isinstance(unit, dict):
            raise Refused("velmora-cli printed a line that is not a JSON object: %s" % line, rc)
        units.append(unit)
    if not units:
        raise Refused(reason or "velmora-cli reported no unit (exit status %d)" % rc, rc)
    return rc, units, reason


def unit_failed(unit):
    return bool(unit.get("failed"))


def flat_differences(units):
    return [dict(unit=unit.get("unit"), field=d.get("field"), before=d.get("before"), after=d.get("after"))
            for unit in units for d in unit.get("differences") or []]


def field_lines(differences, side):
    # JSON quoting tells an empty text from a field never set (null).
    return "".join("%s: %s\n" % (d.get("field"), json.dumps(d.get(side), ensure_ascii=False))
                   for d in differences)


def diffs(units, src):
    result = []
    for unit in units:
        differences = unit.get("differences") or []
        if not differences:
            continue
        name = "%s (%s)" % (unit.get("unit"), unit.get("link"))
        result.append(dict(
            before_header="%s as it is" % name,
            after_header="%s with %s" % (name, os.path.basename(src)),
            before=field_lines(differences, "before"),
            after=field_lines(differences, "after"),
        ))
    return result


def summary(units, done, word):
    failed = [u for u in units if unit_failed(u)]
    if len(units) == 1:
        unit = units[0]
        return unit.get("msg") or "%s: %s" % (unit.get("unit"), unit.get("result"))
    if failed:
        return "%d of %d units failed: %s" % (
            len(failed), len(units),
            "; ".join(u.get("msg") or "%s: %s" % (u.get("unit"), u.get("result")) for u in failed))
    count = sum(1 for u in units if done(u))
    return "%d units: %d %s" % (len(units), count, word)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            src=dict(type="path"),
            udp=dict(type="str"),
            serial=dict(type="str"),
            units=dict(type="path"),
            keep_identity=dict(type="bool", default=False),
            home_bypass=dict(type="bool", default=False),
            backup_dir=dict(type="path"),
            state=dict(type="str", default="present", choices=["present", "restored", "backed_up"]),
            executable=dict(type="path"),
        ),
        mutually_exclusive=[("udp", "serial", "units")],
        required_one_of=[("udp", "serial", "units")],
        required_if=[("state", "present", ["src"]), ("state", "restored", ["backup_dir"])],
        supports_check_mode=True,
    )
    p = module.params
    state = p["state"]
    if state != "present" and p["src"] is not None:
        module.fail_json(msg="src is written only with state present, not %s" % state)

    if module.check_mode and state != "present":
        module.exit_json(changed=False, skipped=True,
                         msg="check mode: state %s is not previewed, nothing was read" % state)

    # Flags go to velmora-cli as given, so that it refuses what a command does not take.
    flags = unit_arguments(p)
    if p["keep_identity"]:
        flags.append("--keep-identity")
    if p["home_bypass"]:
        flags.append("--home-bypass")
    backup = ["--backup-dir", p["backup_dir"]] if p["backup_dir"] is not None else []

    result = dict(changed=False)
    try:
        cli = find_cli(module)
        planned = None
        if state == "present" and (module.check_mode or module._diff):
            rc, planned, reason = run(module, cli, ["plan", p["src"]] + flags, (0, 1, 3))
            if module.check_mode:
                units = planned
        if state == "present" and not module.check_mode:
            rc, units, reason = run(module, cli, ["write", p["src"]] + flags + backup, (0, 1))
        elif state == "restored":
            rc, units, reason = run(module, cli, ["restore", p["backup_dir"]] + flags, (0, 1))
        elif state == "backed_up":
            rc, units, reason = run(module, cli, ["backup"] + flags + backup, (0, 1))
    except Refused as e:
        if e.rc is not None:
            result["rc"] = e.rc
        module.fail_json(msg=e.msg, **result)

    for unit in units:
        if unit.get("backup_file"):
            unit["backup_file"] = os.path.abspath(unit["backup_file"])
    if state == "backed_up":
        done, word = (lambda u: bool(u.get("backup_file"))), "backed up"
    else:
        done, word = (lambda u: bool(u.get("changed"))), "would change" if module.check_mode else "written"
    changed = any(done(u) for u in units)
    shown = planned if planned is not None else units
    result.update(
        changed=changed,
        rc=rc,
        units=units,
        differences=flat_differences(shown),
        msg=summary(units, done, word),
    )
    if len(units) == 1 and units[0].get("backup_file"):
        result["backup_file"] = units[0]["backup_file"]
    if module._diff and planned is not None:
        result["diff"] = diffs(planned, p["src"])
    if rc == 1 or any(unit_failed(u) for u in units):
        if not any(unit_failed(u) for u in units) and reason:
            result["msg"] = reason
        module.fail_json(**result)
    # Said outright: Ansible takes a result with a non-zero rc for a failure (plan's 3).
    module.exit_json(failed=False, **result)


if __name__ == "__main__":
    main()
