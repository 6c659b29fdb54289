#!/bin/sh
# Runs the linked-folder test of the Windows test program $1 in the prefix that WINEPREFIX
# names, with a backup base folder whose Tarnwick folder is a symbolic link to another folder
# of the same prefix. Everything it makes is removed again.
set -u
root="$WINEPREFIX/drive_c/tarnwick-linked"
rm -rf "$root"
mkdir -p "$root/base" "$root/elsewhere" || exit 1
ln -s "$root/elsewhere" "$root/base/Tarnwick" || exit 1
TARNWICK_LINKED_BASE='C:\tarnwick-linked\base' TARNWICK_LINK_TARGET='C:\tarnwick-linked\elsewhere' \
  wine "$1" --gtest_filter='LinkedBackupFolder.*'
status=$?
rm -rf "$root"
exit $status
