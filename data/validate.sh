#!/usr/bin/env bash
# Installs the build into a scratch prefix and validates the desktop entry and metainfo there.
set -euo pipefail
build_dir=$1
prefix=$2
id=org.example.Zarnith

rm -rf "$prefix"
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
for file in bin/zarnith share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png; do
    [ -f "$prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
