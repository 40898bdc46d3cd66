#!/bin/sh
# Installs the build into a fresh prefix and builds an outside program against it through
# pkg-config, as a user of the installed library would; checks that the tool, its manual page and
# the docs are installed too.
#   check_install.sh BUILD_DIR SAMPLE_HOST_SOURCE
set -eu
build=$1
source=$2
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
c++ -std=c++17 "$source" $(pkg-config --cflags --libs cmdpredict) -o "$prefix/host"
LD_LIBRARY_PATH="$libdir" "$prefix/host" "$prefix/appdata/" | grep -q "next command in"
"$prefix/bin/cmdpredict" --version | grep -q "^cmdpredict "
echo "installed tree and pkg-config work"
