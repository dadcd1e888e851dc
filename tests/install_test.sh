#!/usr/bin/env bash
# Installs the built project into a temporary prefix (manual pages and completion too) and
# builds examples/host.c against it twice: through find_package(zt7util) and through
# pkg-config, and a host of libzt7kit the same two ways; imports the Python package
# installed beside the library, and the one `pip install` makes offline with setuptools.
set -euo pipefail
build_dir=$1
source_dir=$2
python=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
for file in share/man/man1/zt7util.1.gz share/man/man3/zt7util.3.gz \
  share/bash-completion/completions/zt7util; do
  [ -s "$work/prefix/$file" ] || { echo "install test: $file not installed" >&2; exit 1; }
done

# 1. CMake package.
mkdir -p "$work/cmake-host"
cat >"$work/cmake-host/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(host C)
find_package(zt7util REQUIRED)
add_executable(host $source_dir/examples/host.c)
target_link_libraries(host PRIVATE zt7util::zt7util)
CMAKE
cmake -S "$work/cmake-host" -B "$work/cmake-host/build" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake-host/build" >/dev/null
LD_LIBRARY_PATH="$work/prefix/lib" "$work/cmake-host/build/host" | grep -q "module version: 11"

# 2. pkg-config.
export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
# shellcheck disable=SC2046
cc -o "$work/host-pc" "$source_dir/examples/host.c" $(pkg-config --cflags --libs zt7util)
LD_LIBRARY_PATH="$work/prefix/lib" "$work/host-pc" | grep -q "test-crystal cell: yes"

# The libraries carry their SONAMEs; each shows only its own face.
readelf -d "$work/prefix/lib/libzt7util.so" | grep -q "SONAME.*libzt7util.so.11"
readelf -d "$work/prefix/lib/libzt7kit.so" | grep -q "SONAME.*libzt7kit.so.11"
[ "$(nm -D --defined-only "$work/prefix/lib/libzt7util.so" | wc -l)" -eq 16 ]
if nm -D --defined-only "$work/prefix/lib/libzt7kit.so" | awk '{print $3}' | grep -qv '^zt7kit_'; then
  echo "libzt7kit.so shows a symbol that is not zt7kit_*" >&2
  exit 1
fi

# 2b. A host of libzt7kit, through pkg-config and through find_package.
cat >"$work/kit-host.c" <<'C'
#include <stdio.h>
#include <zt7kit.h>
int main(void) {
  const double cell[6] = {5.95, 9.03, 18.38, 90.0, 90.0, 90.0};
  char* why = NULL;
  zt7kit_status status = zt7kit_digest_frames("/nonexistent", "*.img", NULL, &why);
  printf("version %d, cell %d, refused %d: %s\n", (int)zt7kit_version(),
         zt7kit_check_cell(cell, NULL) == ZT7KIT_OK, status == ZT7KIT_REFUSED, why);
  zt7kit_free(why);
  return 0;
}
C
# shellcheck disable=SC2046
cc -o "$work/kit-host-pc" "$work/kit-host.c" $(pkg-config --cflags --libs zt7kit)
LD_LIBRARY_PATH="$work/prefix/lib" "$work/kit-host-pc" | grep -q "version 11, cell 1, refused 1: no digest given"
mkdir -p "$work/kit-cmake"
cat >"$work/kit-cmake/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(kithost C)
find_package(zt7util REQUIRED)
add_executable(kithost $work/kit-host.c)
target_link_libraries(kithost PRIVATE zt7util::zt7kit)
CMAKE
cmake -S "$work/kit-cmake" -B "$work/kit-cmake/build" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/kit-cmake/build" >/dev/null
LD_LIBRARY_PATH="$work/prefix/lib" "$work/kit-cmake/build/kithost" | grep -q "version 11"
# 3. The Python package finds the library it was installed with, and only that one.
(
  unset ZT7KIT_LIBRARY LD_LIBRARY_PATH
  PYTHONPATH="$work/prefix/lib/python3/site-packages" \
    "$python" -c 'import zt7util; print(zt7util.version())' | grep -qx 11
)

# 4. pip of Debian's Python builds and installs the package with Debian's setuptools,
# without a network; the library comes from the environment variable. The build runs in a
# copy, since setuptools writes beside the sources.
cp -r "$source_dir/python" "$work/source"
/usr/bin/python3 -m pip install --quiet --root-user-action=ignore --no-index --no-cache-dir \
  --no-build-isolation --target "$work/pip" "$work/source"
ZT7KIT_LIBRARY="$work/prefix/lib/libzt7kit.so" PYTHONPATH="$work/pip" \
  /usr/bin/python3 -c 'import zt7util; print(zt7util.check_cell(5.95, 9.03, 18.38, 90, 90, 90))' |
  grep -qx True
echo "install test passed"
