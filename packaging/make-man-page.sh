#!/bin/sh
# Makes a program's man page from its own --help and --version: make-man-page.sh PROGRAM
# SUMMARY OUT.1.gz
set -eu
help2man --no-info --no-discard-stderr --name "$2" "$1" | gzip -9n > "$3"
