#!/bin/sh
# Installs the build into a fresh prefix and builds outside programs against it through
# pkg-config, as users of the installed library would: the C++ sample host, the C host, and the
# Python host through ctypes (where python3 is present); checks that the tool, its manual page and
# the docs are installed too.
#   check_install.sh BUILD_DIR EXAMPLES_DIR
set -eu
build=$1
examples=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
pc=$(find "$prefix" -name cmdpredict.pc)
test -n "$pc"
test -f "$(dirname "$pc")/../cmake/cmdpredict/cmdpredictConfig.cmake"  # beside the CMake package
test -x "$prefix/bin/cmdpredict"
test -f "$prefix/share/man/man1/cmdpredict.1"
test -f "$prefix/share/doc/cmdpredict/replay-tool.md"

export PKG_CONFIG_PATH="$(dirname "$pc")"
libdir=$(pkg-config --variable=libdir cmdpredict)
# shellcheck disable=SC2046  # the flags are words
c++ -std=c++17 "$examples/sample_host.cpp" $(pkg-config --cflags --libs cmdpredict) -o "$prefix/host"
LD_LIBRARY_PATH="$libdir" "$prefix/host" "$prefix/appdata/" | grep -q "next command in"
# shellcheck disable=SC2046
cc "$examples/c_host.c" $(pkg-config --cflags --libs cmdpredict) -o "$prefix/c_host"
LD_LIBRARY_PATH="$libdir" "$prefix/c_host" "$prefix/c-appdata" | grep -q "top prediction: 103"
if command -v python3 >/dev/null; then
  python3 "$examples/ctypes_host.py" "$libdir/libcmdpredict.so" | grep -q "top prediction: 103"
fi
"$prefix/bin/cmdpredict" --version | grep -q "^cmdpredict "
echo "installed tree and pkg-config work"
