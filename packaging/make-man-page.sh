#!/bin/sh
# Makes a program's man page from its own --help and --version and the sections of INCLUDE
# (help2man's include format: EXIT STATUS): make-man-page.sh PROGRAM SUMMARY INCLUDE OUT.1.gz
set -eu
help2man --no-info --no-discard-stderr --name "$2" --include "$3" "$1" | gzip -9n > "$4"
