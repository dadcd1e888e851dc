#!/usr/bin/env bash
# Installs the built project into a temporary prefix and builds examples/host.c against
# it twice: through find_package(zt7util) and through pkg-config.
set -euo pipefail
build_dir=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null

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

# The library carries its SONAME.
readelf -d "$work/prefix/lib/libzt7util.so" | grep -q "SONAME.*libzt7util.so.11"
echo "install test passed"
