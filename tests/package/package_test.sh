#!/usr/bin/env bash
# Builds the Debian packages, checks them with lintian, installs them into this machine,
# uses what they installed as a user and a developer would, then purges them and checks
# that nothing of them is left. Needs root; it changes the machine only while it runs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
packages=(libzt7util11 libzt7util-dev zt7util python3-zt7util)
fail() {
  echo "package test: $*" >&2
  exit 1
}

[ "$(id -u)" -eq 0 ] || fail "must run as root: it installs packages"
# Someone else's installation is not ours to remove.
for package in "${packages[@]}"; do
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q " installed"; then
    fail "$package is installed already; remove it first"
  fi
done
needed=(lintian man-db pkg-config)
for package in "${needed[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${needed[@]}"
    break
  fi
done

build="$root/build-deb"
"$root/tools/package" "$build" >/dev/null
debs=("$build"/packages/*.deb)
[ ${#debs[@]} -eq ${#packages[@]} ] || fail "expected ${#packages[@]} packages, got: ${debs[*]}"

echo "lintian:"
lintian --fail-on error "${debs[@]}" || fail "lintian reports errors"

work=$(mktemp -d)
cleanup() {
  dpkg --purge "${packages[@]}" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
dpkg -i "${debs[@]}" >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -f -y -qq
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" | grep -q "install ok installed" ||
    fail "$package did not install"
  dpkg-query -L "$package" >>"$work/files"
done
# Every shared library the build made is packaged, under its soname.
for library in "$build"/lib*.so; do
  soname=$(readelf -d "$library" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
  grep -q "/$soname\$" "$work/files" || fail "no package holds $soname"
done

# From here on, nothing of the build tree may be needed.
cd "$work"
unset LD_LIBRARY_PATH PYTHONPATH ZT7UTIL_LIBRARY ZT7KIT_LIBRARY PKG_CONFIG_PATH CMAKE_PREFIX_PATH

# The tool, from PATH, with its libraries found by the loader (the ldconfig trigger ran).
[ "$(command -v zt7util)" = /usr/bin/zt7util ] || fail "zt7util is not /usr/bin/zt7util"
ldconfig -p | grep -q "libzt7util.so.11 " || fail "the loader's cache lacks libzt7util.so.11"
zt7util demo >demo.txt || fail "zt7util demo failed: $(tail -3 demo.txt)"
[ "$(zt7util -V)" = "$(zt7util --version)" ] || fail "-V and --version differ"

# The manual pages; zt7util(1) has a section for every subcommand the tool lists.
man -w zt7util >/dev/null || fail "man -w zt7util finds no page"
LC_ALL=C MANWIDTH=200 man zt7util 2>/dev/null >page.txt
subcommands=$(zt7util --help | sed -n '/^Subcommands:$/,/^$/s/^  \([a-z][a-z0-9-]*\).*/\1/p')
[ "$(wc -w <<<"$subcommands")" -ge 20 ] || fail "too few subcommands in zt7util --help"
for name in $subcommands; do
  grep -qE "^   $name( |$)" page.txt || fail "man zt7util has no section for $name"
done

# A section 3 page for each installed header, naming every function the header exports.
for header in /usr/include/zt7util.h /usr/include/zt7kit.h; do
  [ -e "$header" ] || continue
  page=$(basename "$header" .h)
  LC_ALL=C MANWIDTH=200 man 3 "$page" 2>/dev/null >"$page.txt" || fail "no $page(3)"
  names=$(sed -n 's/^ZT7[A-Z]*_EXPORT [^(]*[ *]\([A-Za-z_0-9]*\)(.*/\1/p' "$header")
  [ -n "$names" ] || fail "no exported function found in $header"
  for name in $names; do
    grep -qw "$name" "$page.txt" || fail "$page(3) does not name $name"
  done
done

# Bash completion: subcommands, and a subcommand's options.
completion=/usr/share/bash-completion/completions/zt7util
complete_words() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _zt7util
           printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@" | sort | tr '\n' ' '
}
[ "$(complete_words zt7util check-c)" = "check-cell check-cif " ] ||
  fail "completion of 'check-c': $(complete_words zt7util check-c)"
[ "$(complete_words zt7util seal --f)" = "--force --frames --from " ] ||
  fail "completion of 'seal --f': $(complete_words zt7util seal --f)"

# A C host through pkg-config, and a CMake host through find_package, run as they are.
# shellcheck disable=SC2046
cc -o host-pc "$root/examples/host.c" $(pkg-config --cflags --libs zt7util)
./host-pc | grep -q "test-crystal cell: yes" || fail "the pkg-config host failed"
mkdir cmake-host
cat >cmake-host/CMakeLists.txt <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(host C)
find_package(zt7util REQUIRED)
add_executable(host $root/examples/host.c)
target_link_libraries(host PRIVATE zt7util::zt7util)
CMAKE
cmake -S cmake-host -B cmake-host/build >/dev/null
cmake --build cmake-host/build >/dev/null
cmake-host/build/host | grep -q "module version: 11" || fail "the CMake host failed"

# Debian's Python finds the package, which finds the packaged library.
[ "$(/usr/bin/python3 -c 'import zt7util; print(zt7util.version())')" = 11 ] ||
  fail "/usr/bin/python3 cannot use zt7util"

# Purged, nothing of the packages is left: no file of theirs, no folder of ours.
dpkg --purge "${packages[@]}" >/dev/null
while IFS= read -r path; do
  if [ -L "$path" ] || [ -f "$path" ] || { [ -d "$path" ] && [[ $path == *zt7* ]]; }; then
    fail "$path is left after the purge"
  fi
done <"$work/files"
ldconfig -p | grep -q "libzt7" && fail "the loader's cache still lists libzt7*"
echo "package test passed: ${packages[*]}"
