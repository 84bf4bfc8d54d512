#!/usr/bin/env bash
# Builds the page into build-web/: index.html, zarnith.js (the language table's English texts,
# the core's loader and the page's script) and zarnith.wasm (the core), static files only; and
# the same page as one self-contained file, build-web/standalone/zarnith.html, to open from disk.
# The core is compiled with Debian's emscripten, zlib with it from Debian's own zlib source
# package, kept built in a cache folder outside the work tree named after the version built.
# Reports the sizes and fails when one is over its budget: the page 600 KB, 250 KB compressed
# with gzip; the one file 450 KB.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# Debian's nodejs and npm only where no node or npm is there: another one may be installed, and
# Debian's npm conflicts with it.
extra=(emscripten chromium dpkg-dev python3)
command -v node >/dev/null || extra+=(nodejs)
command -v npm >/dev/null || extra+=(npm)
bash scripts/deps.sh "${extra[@]}"

# ZARNITH_WEB_CACHE names another cache folder (CI gives an empty one, to build zlib afresh).
cache=${ZARNITH_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zarnith}
emscripten_version=$(dpkg-query -W -f='${Version}' emscripten)
emscripten_version=${emscripten_version%%~*}
# Debian's emscripten brings its system libraries built, in its own read-only cache outside the
# work tree: nothing is built into the tree or fetched.
mkdir -p "$cache"
# Its JavaScript optimizer needs Debian's acorn, where a node that is not Debian's does not look.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# zlib for WebAssembly, once per zlib and emscripten version, from Debian's source of the
# installed zlib or, where that cannot be fetched, of the same upstream release.
source scripts/debian-source.sh
zlib_version=$(dpkg-query -W -f='${source:Version}' zlib1g-dev)
zlib_suffix=-emscripten-$emscripten_version
zlib=$(debian_source_built "$cache/zlib-" "$zlib_version" "$zlib_suffix")
if [ -z "$zlib" ]; then
    exec 9>"$cache/zlib-web.lock"
    flock 9
    zlib=$(debian_source_built "$cache/zlib-" "$zlib_version" "$zlib_suffix")
    if [ -z "$zlib" ]; then
        work=$(mktemp -d "$cache/zlib-build.XXXXXX")
        trap 'rm -rf "$work"' EXIT
        debian_source zlib "$zlib_version" "$work"
        # The library is the sources at the top of the tree (the rest are examples and
        # contributions), but for the gz* file functions: the core reads files by its own layer.
        mkdir -p "$work/obj"
        for source in "$work"/src/*.c; do
            name=$(basename "$source" .c)
            [[ $name == gz* ]] && continue
            emcc -Os -c "$source" -o "$work/obj/$name.o"
        done
        zlib=$cache/zlib-${debian_source_version#*:}$zlib_suffix
        rm -rf "$zlib"
        mkdir -p "$zlib/include" "$zlib/lib"
        emar rcs "$zlib/lib/libz.a" "$work"/obj/*.o
        cp "$work/src/zlib.h" "$work/src/zconf.h" "$zlib/include/"
        touch "$zlib/.complete"
        rm -rf "$work"
        echo "zlib $debian_source_version built for WebAssembly into $zlib"
    fi
    exec 9>&-
fi

# The page's texts come from the window's language table, through a small Qt Core program.
bash scripts/build.sh zarnith_web_texts >/dev/null
host=${ZARNITH_BUILD_DIR:-build}

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
emcmake cmake -S . -B build-wasm -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DZARNITH_WERROR="$werror" \
    -DZARNITH_BUILD_UI=OFF -DBUILD_TESTING=OFF \
    -DZLIB_INCLUDE_DIR="$zlib/include" -DZLIB_LIBRARY="$zlib/lib/libz.a" >/dev/null
cmake --build build-wasm --parallel "$(nproc)"

rm -rf build-web
mkdir -p build-web/standalone
# The icon inline, so that the page asks for no favicon.
icon="data:image/svg+xml;base64,$(base64 -w0 data/icons/org.example.Zarnith.svg)"
sed "s|@ICON@|$icon|" web/index.html >build-web/index.html
cp build-wasm/web/zarnith-core.wasm build-web/zarnith.wasm
{
    "$host/tools/zarnith_web_texts" ui/LanguageTable.h
    cat build-wasm/web/zarnith-core.js
    cat web/page.js
} >build-web/zarnith.js

# The page as one file that works opened from disk: the script inline with the module in it as
# base64, allowed by its SHA-256 alone, and nothing else loaded or fetched.
python3 - build-web <<'PY'
import base64, hashlib, pathlib, re, sys

site = pathlib.Path(sys.argv[1])
page = (site / "index.html").read_text(encoding="utf-8")
module = base64.b64encode((site / "zarnith.wasm").read_bytes()).decode("ascii")
script = f'var zarnithWasm = "{module}";\n' + (site / "zarnith.js").read_text(encoding="utf-8")
if "</script" in script.lower() or "<!--" in script:
    sys.exit("web: the page's script holds text that would end an inline script")
digest = base64.b64encode(hashlib.sha256(script.encode("utf-8")).digest()).decode("ascii")
policy = ("default-src 'none'; script-src 'sha256-%s' 'wasm-unsafe-eval'; style-src 'unsafe-inline'; "
          "img-src data:; connect-src 'none'; form-action 'none'; base-uri 'none'" % digest)
page, policies = re.subn(r'(<meta http-equiv="Content-Security-Policy" content=")[^"]*(">)',
                         lambda m: m.group(1) + policy + m.group(2), page)
page, scripts = re.subn(r'<script src="zarnith.js"></script>', lambda m: "<script>" + script + "</script>", page)
if policies != 1 or scripts != 1:
    sys.exit("web: index.html no longer has one policy and one script to inline")
(site / "standalone" / "zarnith.html").write_text(page, encoding="utf-8")
PY

raw=$(cat build-web/index.html build-web/zarnith.js build-web/zarnith.wasm | wc -c)
packed=0
for file in build-web/index.html build-web/zarnith.js build-web/zarnith.wasm; do
    packed=$((packed + $(gzip -9 -c "$file" | wc -c)))
done
single=$(stat -c %s build-web/standalone/zarnith.html)
echo "web: page $((raw / 1024)) KB ($raw bytes), gzip $((packed / 1024)) KB ($packed bytes); budget 600 KB, 250 KB"
echo "web: the page as one file $((single / 1024)) KB ($single bytes); budget 450 KB"
ls -l build-web build-web/standalone
if [ "$raw" -gt $((600 * 1024)) ] || [ "$packed" -gt $((250 * 1024)) ] || [ "$single" -gt $((450 * 1024)) ]; then
    echo "web: over budget" >&2
    exit 1
fi
echo "web: built into $root/build-web (the page as one file: build-web/standalone/zarnith.html)"
