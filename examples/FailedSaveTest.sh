#!/bin/sh
# The demo says only what happened. Arguments: the demo program, the plug-in, and how it is run:
#   read-only  into a folder where nothing can be saved: a read-only file system for root, a folder
#              without write permission for anyone else
#   user       as an unprivileged user into a folder without write permission (needs root to become
#              that user)
#   writable   into a fresh folder, where every step saves what it says
# Its output, stdout and stderr in one, is checked: each line whole, no claim of a file that is not
# there, every failed save naming its file and the system's reason, the summary listing only files
# that exist.
demo="$1"
plugin="$2"
mode="${3:-read-only}"
nobody=65534

folder=$(mktemp -d) || exit 1
cleanup() { rmdir "$folder"; }
as_user=""
case "$mode" in
  read-only)
    if [ "$(id -u)" = 0 ]; then
      # Root writes whatever the permissions say: a read-only file system stops it.
      if ! mount -t tmpfs -o ro,size=64k tmpfs "$folder" 2>/dev/null; then
        rmdir "$folder"
        echo "no read-only file system can be mounted here"
        exit 77
      fi
      cleanup() { umount "$folder"; rmdir "$folder"; }
      why="Read-only file system"
    else
      chmod 0555 "$folder"
      why="Permission denied"
    fi
    ;;
  user)
    as_user="setpriv --reuid=$nobody --regid=$nobody --clear-groups"
    chmod 0555 "$folder"
    if [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null ||
      ! $as_user sh -c 'test -x "$1" && test -r "$2" && test -x "$3"' sh "$demo" "$plugin" "$folder"; then
      rmdir "$folder"
      echo "cannot run the demo as an unprivileged user here"
      exit 77
    fi
    why="Permission denied"
    ;;
  writable)
    cleanup() { rm -rf "$folder"; }
    why=""
    ;;
  *)
    rmdir "$folder"
    echo "unknown mode $mode"
    exit 2
    ;;
esac
trap cleanup EXIT

out=$($as_user "$demo" "$plugin" "$folder" 2>&1)
status=$?
failures=0
fail() {
  echo "$1"
  failures=$((failures + 1))
}

# Lines whole: a failure, a soft assertion or a step's verdict starts its own line.
if printf '%s\n' "$out" | grep -qE '.(could not save |failed: |soft assertion: )'; then
  fail "a line was cut by another: $(printf '%s\n' "$out" | grep -E '.(could not save |failed: |soft assertion: )' | head -n 1)"
fi
# In order: a step's verdict comes under its own heading, after what the step printed.
printf '%s\n' "$out" | awk '
  /^== [0-9]+\. / { title = $0; sub(/^== [0-9]+\. /, "", title); sub(/ ==$/, "", title) }
  /^failed: / && substr($0, 9) != title { print "out of order: " $0 }' | grep . && failures=$((failures + 1))

# Every step that the summary marks FAIL said so under its own heading.
verdicts=$(printf '%s\n' "$out" | grep -c '^failed: ')
marked=$(printf '%s\n' "$out" | grep -c '^  FAIL ')
[ "$verdicts" = "$marked" ] || fail "$marked steps marked FAIL in the summary, $verdicts said failed under their heading"

# No claim of a file that is not there: every file of the folder named outside a failure is there.
for path in $(printf '%s\n' "$out" | grep -v '^could not ' | grep -oE "$folder/[^ :,]+"); do
  [ -e "$path" ] || fail "claims $path, which is not there"
done

# The summary lists only files that exist.
listed=$(printf '%s\n' "$out" | sed -n '/^the files written are kept in /,/^\(done\|failed\)$/p' | sed -n 's/^  \([^ ]*\) .*/\1/p')
for name in $listed; do
  [ -e "$folder/$name" ] || fail "the summary lists $name, which is not there"
done

# Each step claims only what it did: cache files written are written somewhere it names, and a step
# whose cache files failed claims none written.
printf '%s\n' "$out" | grep '^cache files written' | grep -v '^cache files written to /' | while IFS= read -r line; do
  echo "claims cache files written without saying where: $line"
done | grep . && failures=$((failures + 1))
steps=$(printf '%s\n' "$out" | grep -c '^== [0-9]*\. ')
i=1
while [ "$i" -le "$steps" ]; do
  section=$(printf '%s\n' "$out" | awk -v want="$i" '/^== [0-9]+\. / { n++ } n == want')
  i=$((i + 1))
  if printf '%s\n' "$section" | grep -q '^could not save the cache files' &&
    printf '%s\n' "$section" | grep -i 'cache' | grep -q 'written'; then
    fail "a step claims cache files written after their save failed: $(printf '%s\n' "$section" | head -n 1)"
  fi
  # A step that failed says why.
  if printf '%s\n' "$section" | grep -q '^failed: ' && ! printf '%s\n' "$section" | grep -q '^could not '; then
    fail "a step failed without saying why: $(printf '%s\n' "$section" | grep '^failed: ')"
  fi
done

if [ "$mode" = writable ]; then
  [ "$status" = 0 ] || fail "the demo failed with a folder it may write"
  printf '%s\n' "$out" | tail -n 1 | grep -qx 'done' || fail "the demo did not end with its summary and done"
  for name in project.txt measured.csv imported_project.txt return_loss.csv carried_plot.txt svcache/ \
    outputvars_project.txt; do
    printf '%s\n' "$listed" | grep -qxF "$name" || fail "the summary does not list $name"
  done
else
  [ "$status" != 0 ] || fail "the demo answered success with nothing saved"
  # Every failure names its file and the system's reason.
  printf '%s\n' "$out" | grep '^could not ' | while IFS= read -r line; do
    case "$line" in
      *": $folder/"*": $why") ;;
      *) echo "a failure that does not name its file and why: $line" ;;
    esac
  done | grep . && failures=$((failures + 1))
  for name in project.txt measured.csv return_loss.csv carried_plot.txt svcache outputvars_project.txt; do
    printf '%s\n' "$out" | grep -qE "^could not save [^:]+: $folder/$name(/[^:]*)?: $why\$" ||
      fail "no failure names $folder/$name and why"
  done
  printf '%s\n' "$out" | grep -qx "no file was written to $folder" ||
    fail "the summary does not say that no file was written"
fi

if [ "$failures" != 0 ]; then
  echo "--- the demo's output:"
  printf '%s\n' "$out"
  exit 1
fi
echo "the demo said only what happened ($mode)"
