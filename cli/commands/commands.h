#ifndef VELMORA_CLI_COMMANDS_H
#define VELMORA_CLI_COMMANDS_H

class Command;

/// The commands of velmora-cli, one file each.
namespace Commands {

const Command &read();
const Command &write();
const Command &plan();
const Command &verify();
const Command &backup();
const Command &restore();
const Command &factory();
const Command &check();
const Command &diff();
const Command &convert();

} // namespace Commands

#endif
