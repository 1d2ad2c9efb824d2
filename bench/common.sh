# What the comparison scripts share, sourced by them. install_packages <package>... installs
# Debian packages with apt-get, through sudo unless run as root.
install_packages() {
  echo "installing: $*"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}

# The folder for a script's generated input files: a new one under $REP_BENCH_DIR (default the
# temporary folder), removed with everything in it when the script exits.
bench_input_folder() {
  local parent="${REP_BENCH_DIR:-${TMPDIR:-/tmp}}"
  mkdir -p "$parent"
  mktemp -d "$parent/rep_bench.XXXXXX"
}
