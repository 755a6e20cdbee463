#!/usr/bin/env python3
"""The README's quelby-cli command table and quelby-cli --help list the same commands, each
with the same arguments: check_cli_docs.py README.md QUELBY-CLI"""
import re
import subprocess
import sys


def help_commands(program):
    text = subprocess.run([program, "--help"], check=True, capture_output=True, text=True).stdout
    section = text.split("Commands:\n", 1)[1]
    # A command's head is indented two spaces; its description four or more.
    return {line.strip() for line in section.splitlines() if re.match(r"^  \S", line)}


def readme_commands(readme):
    text = open(readme, encoding="utf-8").read()
    section = text.split("### quelby-cli", 1)[1].split("\n### ", 1)[0]
    commands = set()
    for row in section.splitlines():
        if not row.startswith("| `"):
            continue
        first_cell = re.split(r"(?<!\\)\|", row)[1]
        commands.update(item.replace("\\|", "|") for item in re.findall(r"`([^`]+)`", first_cell))
    return commands


def main():
    readme, program = sys.argv[1], sys.argv[2]
    in_help, in_readme = help_commands(program), readme_commands(readme)
    ok = True
    for command in sorted(in_help - in_readme):
        print(f"README.md does not list: {command}")
        ok = False
    for command in sorted(in_readme - in_help):
        print(f"quelby-cli --help does not list: {command}")
        ok = False
    if ok:
        print(f"README.md and quelby-cli --help agree on {len(in_help)} commands")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
