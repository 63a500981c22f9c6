#!/usr/bin/env bash
# The Debian packages as an administrator and a third party meet them,
# without installing anything on this machine:
#   - lintian finds no error;
#   - the packages hold what they should: conffiles, computed dependencies,
#     stripped binaries whose debug symbols are in the -dbgsym packages,
#     logs and caches under /var/opt/quelb;
#   - unpacked with dpkg-deb -x into a scratch root (absolute links and the
#     registry pointed into that root), the installed simulator and
#     quelbctl run the snapshot lifecycle of the demo;
#   - the example provider of the kit package builds from that root alone,
#     with find_package(QuelbPdk 4.4 CONFIG) and with pkg-config, and
#     quelbctl --lib ... --prefix fileprovider drives it through info,
#     enclosures, nodes and one snapshot, its messages from its own bundle.
#
# Usage: tests/package/package_test.sh PACKAGES_DIR   (what scripts/package
# leaves in build/packages)
set -uo pipefail
packages=$(cd "$1" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/norvel_package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
opt=$root/opt/quelb
passed=0 failed=0

# check NAME COMMAND...: runs the command, its output kept for a failure.
check() {
  local name=$1 output
  shift
  if output=$("$@" 2>&1); then
    passed=$((passed + 1))
    echo "ok - $name"
  else
    failed=$((failed + 1))
    echo "FAIL - $name"
    printf '%s\n' "$output" | tail -n 30 | sed 's/^/    /'
  fi
}
contains() { grep -q -- "$2" <<< "$1" || { echo "no \"$2\" in:"; echo "$1"; return 1; }; }
field() { dpkg-deb --field "$packages/$1"_*_amd64.deb "$2"; }

# --- the packages themselves ---------------------------------------------

# lintian leaves its ELF index files in TMPDIR: they go with the scratch directory.
check "lintian reports no error" env TMPDIR="$scratch" lintian --fail-on error \
  "$packages"/norvel_*.changes

conffiles() {
  local listed
  listed=$(dpkg-deb --ctrl-tarfile "$packages"/norvel_*_amd64.deb | tar -xO ./conffiles)
  [ "$listed" = $'/etc/opt/quelb/ConfigFiles/norvel.conf\n/etc/quelb/registry.reg' ] ||
    { echo "conffiles: $listed"; return 1; }
}
check "the registry and norvel.conf are conffiles" conffiles

dependencies() {
  contains "$(field norvel Depends)" "libicu72" &&
    contains "$(field norvel Depends)" "libxerces-c3.2" &&
    contains "$(field norvel-tools Depends)" "libsqlite3-0" &&
    contains "$(field norvel-tools Depends)" "norvel (= " &&
    contains "$(field norvel-dev Depends)" "libace-dev"
}
check "dependencies are computed from the binaries" dependencies

for package in norvel norvel-dev norvel-tools; do
  dpkg-deb -x "$packages/$package"_*_amd64.deb "$root"
done
mkdir -p "$scratch/debug"
for package in norvel-dbgsym norvel-tools-dbgsym; do
  dpkg-deb -x "$packages/$package"_*_amd64.deb "$scratch/debug"
done

stripped() {
  local binary id
  for binary in "$opt/lib/libnorvel.so" "$opt/lib/libquelbutil.so.1.0" "$opt/bin/quelbctl" \
      "$opt/bin/symsim"; do
    if readelf -S "$binary" | grep -q '\.debug_info'; then echo "$binary has debug info"; return 1; fi
    id=$(readelf -n "$binary" | sed -n 's/.*Build ID: \(..\)\(.*\)/\1\/\2/p')
    [ -f "$scratch/debug/usr/lib/debug/.build-id/$id.debug" ] ||
      { echo "no debug symbols for $binary ($id)"; return 1; }
  done
}
check "binaries are stripped, their symbols in the -dbgsym packages" stripped

layout() {
  [ "$(readlink "$opt/Logs")" = /var/opt/quelb/Logs ] &&
    [ "$(readlink "$opt/CacheFiles")" = /var/opt/quelb/CacheFiles ] &&
    [ "$(readlink "$opt/ConfigFiles")" = /etc/opt/quelb/ConfigFiles ] &&
    [ -d "$root/var/opt/quelb/Logs" ] && [ -d "$root/var/opt/quelb/CacheFiles" ] &&
    [ -f "$root/usr/share/man/man1/quelbctl.1.gz" ] && [ -f "$root/usr/share/man/man5/norvel.conf.5.gz" ] &&
    [ -f "$root/usr/share/bash-completion/completions/quelbctl" ] &&
    [ -f "$root/usr/share/bash-completion/completions/symsim" ] &&
    [ "$(ls "$opt/symcli/bin" | wc -l)" -eq 10 ] &&
    grep -q '"InstallDir64"="/opt/quelb/"' "$root/etc/quelb/registry.reg"
}
check "the tree: /opt/quelb, settings in /etc/opt, logs and caches in /var/opt" layout

# --- the demo lifecycle from the unpacked root -----------------------------

# Absolute links (to /var/opt, /etc/opt) are made to point into the root,
# and so are the registry and the trace directory of norvel.conf, which name
# /opt/quelb/.
while IFS= read -r link; do
  ln -sfn "$root$(readlink "$link")" "$link"
done < <(find "$root" -type l -lname '/*')
printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Dravonel\\Quelb]\n"InstallDir64"="%s/"\n' "$opt" \
  > "$root/etc/quelb/registry.reg"
# norvel.conf: the trace directory in the root too, the installed simulator
# as SYMCLI, and tracing of the progress lines, so that the trace file
# shows where the logs go.
sed -i -e "s|^\"TRACEDIR\"=\"/opt/quelb/|\"TRACEDIR\"=\"$opt/|" \
  -e "s|^;\"FILEPATH\"=.*|\"FILEPATH\"=\"$opt/symcli/bin/\"|" \
  -e 's|^"TRACELEVEL"=.*|"TRACELEVEL"=dword:00000003|' "$root/etc/opt/quelb/ConfigFiles/norvel.conf"
mkdir -p "$scratch/tmp"

# Runs a program of the root with no environment but the test settings.
run() {
  env -i PATH=/usr/bin:/bin QUELB_REGISTRY="$root/etc/quelb/registry.reg" QUELB_SLEEP_SCALE=0 \
    QUELB_CLI_LOCK_KEY=0 TMPDIR="$scratch/tmp" HOME="$scratch" "$@"
}

source_udid=UDID##EMC##SYMMETRIX##000190100001##0041
target_udid=UDID##EMC##SYMMETRIX##000190100001##00C1
lifecycle() {
  run "$opt/symcli/bin/symsim" init --demo >/dev/null || return 1
  local step out
  for step in "info" "-H enclosures" "nodes --filter enclosure_id=000190100001" \
      "snapshot --method EMC_TimeFinder_Clone $source_udid=00C1" "import $target_udid" \
      "deport $target_udid" "restore $source_udid=$target_udid" \
      "dispose $source_udid $target_udid"; do
    # shellcheck disable=SC2086
    out=$(run "$opt/bin/quelbctl" $step 2>&1) || { echo "quelbctl $step:"; echo "$out"; return 1; }
  done
  contains "$(run "$opt/bin/quelbctl" enclosures)" "000190100002" || return 1
  [ "$(ls "$root/var/opt/quelb/Logs" | wc -l)" -eq 1 ] ||
    { echo "no trace file in /var/opt/quelb/Logs"; ls -la "$root/var/opt/quelb/Logs"; return 1; }
}
check "the demo lifecycle runs from the unpacked packages" lifecycle

# --- the example provider, from the kit package alone ----------------------

example=$root/usr/share/doc/norvel-dev/examples/fileprovider
check "the example builds with find_package(QuelbPdk 4.4 CONFIG)" \
  sh -c "cmake -S '$example' -B '$scratch/cmake' -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
           -DCMAKE_PREFIX_PATH='$opt' && cmake --build '$scratch/cmake' &&
         cmake --install '$scratch/cmake' --prefix '$opt'"
cp -r "$example" "$scratch/make"
check "the example builds with pkg-config" \
  make -C "$scratch/make" PKG_CONFIG_PATH="$opt/lib/pkgconfig"

mkdir -p "$scratch/array/disks"
head -c 65536 /dev/urandom > "$scratch/array/disks/0001.img"
head -c 65536 /dev/zero > "$scratch/array/disks/0002.img"
head -c 4096 /dev/zero > "$scratch/array/disks/0101.img"
printf '# array device data\nFA000001 0001 disks/0001.img\nFA000001 0002 disks/0002.img\nFA000002 0101 disks/0101.img\n' \
  > "$scratch/array/devices.txt"
printf '[ARRAY]\n"DEVICEFILE"="%s"\n' "$scratch/array/devices.txt" \
  > "$root/etc/opt/quelb/ConfigFiles/fileprovider.conf"

drive_example() {
  local library=$1 out
  quelbctl() { run "$opt/bin/quelbctl" --lib "$library" --prefix fileprovider "$@" 2>&1; }
  head -c 65536 /dev/zero > "$scratch/array/disks/0002.img"
  out=$(quelbctl info) && contains "$out" "Example_FileCopy" &&
    out=$(quelbctl enclosures) && contains "$out" "FA000002  FA000002  EXAMPLE  FILEARRAY" &&
    out=$(quelbctl nodes) && contains "$out" "UDID##EXAMPLE##FILEARRAY##FA000001##0002  65536" &&
    out=$(quelbctl snapshot --method Example_FileCopy "UDID##EXAMPLE##FILEARRAY##FA000001##0001=0002") &&
    contains "$out" "-> UDID##EXAMPLE##FILEARRAY##FA000001##0002" &&
    cmp "$scratch/array/disks/0001.img" "$scratch/array/disks/0002.img" || return 1
  # A failure is told in the example's own words.
  out=$(quelbctl snapshot --method Example_FileCopy "UDID##EXAMPLE##FILEARRAY##FA000001##0001=0009")
  [ $? -eq 1 ] && contains "$out" "The array has no device UDID##EXAMPLE##FILEARRAY##FA000001##0009."
}
check "quelbctl drives the example built with CMake" drive_example "$opt/lib/libfileprovider.so"
check "quelbctl drives the example built with pkg-config" drive_example "$scratch/make/libfileprovider.so"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
