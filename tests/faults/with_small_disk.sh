#!/bin/bash
# Runs a Windows test program with a 64 KiB file system of its own, so that
# a save can really meet a full disk. Mounting needs root (as on the
# project's machines and CI); elsewhere QM_SMALL_DISK stays unset and the
# program skips the cases that need it, saying why.
#   with_small_disk.sh WINE_RUNNER PROGRAM [ARGUMENTS...]
set -u
runner=$1
shift
folder=$(mktemp -d "${TMPDIR:-/tmp}/qm-small-disk.XXXXXX") || exit 1
if mount -t tmpfs -o size=64k,mode=0777 qm-small-disk "$folder" 2>/dev/null; then
  export QM_SMALL_DISK="$folder"
else
  echo "No small file system could be mounted here (needs root)."
fi
"$runner" "$@"
status=$?
if [ -n "${QM_SMALL_DISK:-}" ]; then
  # Lazily, in case an editor the test could not stop still holds a file.
  umount "$folder" 2>/dev/null || umount -l "$folder"
fi
rmdir "$folder"
exit $status
