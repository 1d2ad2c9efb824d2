#!/bin/sh
# The demo in a folder where nothing can be saved: it tells why each save failed, with the file's
# path, and never claims a save that failed. Arguments: the demo program and the plug-in.
demo="$1"
plugin="$2"
folder=$(mktemp -d) || exit 1
if [ "$(id -u)" = 0 ]; then
  # Root writes whatever the permissions say: a read-only file system stops it.
  if ! mount -t tmpfs -o ro,size=64k tmpfs "$folder" 2>/dev/null; then
    rmdir "$folder"
    echo "no read-only file system can be mounted here"
    exit 77
  fi
  trap 'umount "$folder"; rmdir "$folder"' EXIT
  why="Read-only file system"
else
  chmod 0555 "$folder"
  trap 'rmdir "$folder"' EXIT
  why="Permission denied"
fi
if out=$("$demo" "$plugin" "$folder" 2>&1); then
  echo "$out"
  echo "the demo answered success with nothing saved"
  exit 1
fi
if ! printf '%s\n' "$out" | grep -qF "could not save the project: $folder/project.txt: $why"; then
  echo "$out"
  echo "the failed save of the project does not say why"
  exit 1
fi
if printf '%s\n' "$out" | grep -qF "saved to $folder/project.txt"; then
  echo "$out"
  echo "the demo claims a save that failed"
  exit 1
fi
echo "the demo told why its saves failed"
