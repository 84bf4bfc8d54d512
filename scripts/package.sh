#!/usr/bin/env bash
# Makes both packages in dist/ and checks each:
#   zarnith-VERSION-windows-x86_64.zip: zarnith.exe and its console companion zarnith.com
#     (scripts/windows-build.sh, stripped), README.txt and LICENSE.txt with Windows line endings;
#   zarnith_VERSION_amd64.deb (CPack, built in build-package/): the program, desktop entry, icons,
#     metainfo and licence, depending on the Debian packages dpkg-shlibdeps finds. Its check
#     unpacks it with dpkg -x into a temporary folder and runs the binary from there, without a
#     display, with --version;
#   zarnith-VERSION.html: the page as one file (scripts/web-build.sh), to open from disk;
#   zarnith-VERSION-web.zip: the page's files, index.html, zarnith.js and zarnith.wasm, for any
#     static host.
# Installs what is missing first; builds Qt for Windows first where it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

bash scripts/deps.sh dpkg-dev file zip unzip binutils-mingw-w64-x86-64
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p dist

# The Debian package, from a release build of the program alone.
build_dir=build-package
ZARNITH_BUILD_DIR=$build_dir ZARNITH_CMAKE_ARGS="-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF" \
    bash scripts/build.sh
version=$(sed -nE 's/^CMAKE_PROJECT_VERSION:STATIC=(.*)$/\1/p' "$build_dir/CMakeCache.txt")
deb=zarnith_${version}_amd64.deb
rm -f "$build_dir/$deb"
(cd "$build_dir" && cpack -G DEB >/dev/null)
cp "$build_dir/$deb" dist/
echo "dist/$deb: $(stat -c %s "dist/$deb") bytes, depends on: $(dpkg-deb -f "dist/$deb" Depends)"

# The Windows zip.
bash scripts/windows-build.sh zarnith zarnith_console
zip=zarnith-$version-windows-x86_64.zip
mkdir "$scratch/zip"
for program in zarnith.exe zarnith.com; do
    x86_64-w64-mingw32-strip -o "$scratch/zip/$program" "build-windows/ui/$program"
done
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' data/windows/README.txt >"$scratch/zip/README.txt"
sed -e 's/$/\r/' LICENSE >"$scratch/zip/LICENSE.txt"
rm -f "dist/$zip"
(cd "$scratch/zip" && zip -q -X -9 "$OLDPWD/dist/$zip" zarnith.exe zarnith.com README.txt LICENSE.txt)
echo "dist/$zip: $(stat -c %s "dist/$zip") bytes, zarnith.exe $(stat -c %s "$scratch/zip/zarnith.exe") bytes," \
    "zarnith.com $(stat -c %s "$scratch/zip/zarnith.com") bytes"

# The page, as one file and as the files a static host serves.
bash scripts/web-build.sh >/dev/null
html=zarnith-$version.html
web_zip=zarnith-$version-web.zip
cp build-web/standalone/zarnith.html "dist/$html"
rm -f "dist/$web_zip"
(cd build-web && zip -q -X -9 "$OLDPWD/dist/$web_zip" index.html zarnith.js zarnith.wasm)
echo "dist/$html: $(stat -c %s "dist/$html") bytes; dist/$web_zip: $(stat -c %s "dist/$web_zip") bytes"

# Checks: the unpacked .deb's program answers --version with no display; the zip holds the
# four files, its text files with Windows line endings.
dpkg -x "dist/$deb" "$scratch/deb"
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$scratch/deb/usr/bin/zarnith" --version)
if [ "$answer" != "Zarnith $version" ]; then
    echo "package: the unpacked $deb answered --version with '$answer'" >&2
    exit 1
fi
for file in usr/share/applications/org.example.Zarnith.desktop usr/share/metainfo/org.example.Zarnith.metainfo.xml \
    usr/share/icons/hicolor/256x256/apps/org.example.Zarnith.png usr/share/doc/zarnith/copyright; do
    [ -f "$scratch/deb/$file" ] || { echo "package: $deb lacks /$file" >&2; exit 1; }
done
echo "package: checked $deb: its zarnith answers '$answer'"
unzip -q "dist/$zip" -d "$scratch/unzipped"
listing=$(cd "$scratch/unzipped" && find . -type f -printf '%P\n' | sort | tr '\n' ' ')
if [ "$listing" != "LICENSE.txt README.txt zarnith.com zarnith.exe " ]; then
    echo "package: $zip holds $listing" >&2
    exit 1
fi
for text in README.txt LICENSE.txt; do
    if grep -qv $'\r$' "$scratch/unzipped/$text"; then
        echo "package: $text in $zip has lines without Windows line endings" >&2
        exit 1
    fi
done
echo "package: checked $zip: $(file -b "$scratch/unzipped/zarnith.exe"); zarnith.com:" \
    "$(file -b "$scratch/unzipped/zarnith.com")"
# The page as one file loads nothing beside itself: no script, style, module or icon by address.
if grep -qE '<script [^>]*src=|<link [^>]*href="[^d]' "dist/$html"; then
    echo "package: $html refers to another file" >&2
    exit 1
fi
listing=$(unzip -Z1 "dist/$web_zip" | sort | tr '\n' ' ')
if [ "$listing" != "index.html zarnith.js zarnith.wasm " ]; then
    echo "package: $web_zip holds $listing" >&2
    exit 1
fi
echo "package: checked $html and $web_zip"
echo "package: the packages and the page made in $((SECONDS - start)) s"
