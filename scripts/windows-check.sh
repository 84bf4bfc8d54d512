#!/usr/bin/env bash
# Cross-builds the whole program for 64-bit Windows (scripts/windows-build.sh: the core, the
# window, both test suites and zarnith.exe, all linked statically against Qt built for Windows)
# and runs it under Wine without a display: the core's GoogleTest suite, the window's Qt Test
# suites on Qt's offscreen platform, checks of zarnith.exe itself, and the command line through
# zarnith.com, its console companion (tests/cli/CommandLineTest.sh), and zarnith.com's patches of
# the synthetic hack pairs against the Linux build's. Every part runs; the script fails if any did.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh wine64 binutils-mingw-w64-x86-64
window_suites=(WindowTest BadInputTest DialogsTest)
bash scripts/windows-build.sh zarnith zarnith_console zarnith_synthetic_rom zarnith_core_tests "${window_suites[@]}"
build_dir=build-windows

unset DISPLAY WAYLAND_DISPLAY
source scripts/wine-env.sh
# A hung program (a modal box nobody answers) ends the run instead of blocking it.
run() { timeout -k 10 900 "$wine" "$@" </dev/null; }
# Wine keeps QT_* variables of the host from Windows programs; WINEQT_* ones reach them as QT_*.
# Qt's offscreen platform reads fonts from a folder: Debian's DejaVu, through Wine's drive Z:.
export WINEQT_QPA_FONTDIR='Z:\usr\share\fonts\truetype\dejavu'

failed=()
run "$build_dir/tests/zarnith_core_tests.exe" --gtest_brief=1 "$@" || failed+=(zarnith_core_tests)
for suite in "${window_suites[@]}"; do
    echo "windows: window suite $suite"
    # Qt Test writes to the debugger's output unless it is given a file.
    log="$build_dir/tests/ui/$suite.txt"
    rm -f "$log"
    WINEQT_QPA_PLATFORM=offscreen run "$build_dir/tests/ui/$suite.exe" -o "$log,txt" || failed+=("$suite")
    if [ -f "$log" ]; then tr -d '\r' <"$log"; fi
done

# zarnith.exe: a Windows GUI program that needs no DLL beside it, only the system's, carries its
# icon, version and manifest, and starts (--version answers in a message box, which Wine without
# a display cannot show; the program ends normally all the same).
exe=$build_dir/ui/zarnith.exe
system_dlls='^(advapi32|authz|comdlg32|d3d9|d3d11|dwmapi|dwrite|dxgi|gdi32|imm32|kernel32|msvcrt|netapi32|ole32|oleaut32|shcore|shell32|shlwapi|user32|userenv|uxtheme|version|winmm|ws2_32|wtsapi32|api-ms-win-[a-z0-9-]*)\.dll$'
# check_program FILE SUBSYSTEM: the file is a program of that subsystem needing only system DLLs.
check_program() {
    local name
    name=$(basename "$1")
    headers=$(x86_64-w64-mingw32-objdump -p "$1")
    if ! grep -q "^Subsystem.*(Windows $2)" <<<"$headers"; then
        echo "windows: $name is not a Windows $2 program" >&2
        failed+=("$name")
    fi
    dlls=$(sed -nE 's/^\s*DLL Name: (.*)$/\1/p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort -u)
    if others=$(grep -vE "$system_dlls" <<<"$dlls"); then
        echo "windows: $name needs DLLs that Windows does not have: $others" >&2
        failed+=("$name")
    fi
}
check_program "$exe" GUI
check_program "$build_dir/ui/zarnith.com" CUI
version=$(sed -nE 's/^CMAKE_PROJECT_VERSION:STATIC=(.*)$/\1/p' "$build_dir/CMakeCache.txt")
resources=$(x86_64-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null || true)
for expected in 'RT_GROUP_ICON' "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductName\", \"Zarnith\"" 'RT_MANIFEST' \
    'Microsoft.Windows.Common-Controls' 'PerMonitorV2' 'asInvoker'; do
    if ! grep -qF "$expected" <<<"$resources"; then
        echo "windows: zarnith.exe's resources lack $expected" >&2
        failed+=(zarnith.exe)
    fi
done
if run "$exe" --version >/dev/null 2>&1; then
    echo "windows: zarnith.exe $version: GUI program, system DLLs only, icon, version and manifest; starts"
else
    echo "windows: zarnith.exe --version did not end normally" >&2
    failed+=(zarnith.exe)
fi

# The command line in the console: zarnith.com, as cmd.exe and PowerShell run it for "zarnith".
echo "windows: command line through zarnith.com"
ZARNITH_RUNNER="timeout -k 10 300 $wine" bash tests/cli/CommandLineTest.sh "$build_dir/ui/zarnith.com" \
    "$build_dir/tools/zarnith_synthetic_rom.exe" </dev/null || failed+=(command-line)

# The same patches on both systems: the synthetic hack pairs (the Linux build's pair maker), each
# patched by the Linux program and by zarnith.com, must give byte for byte the same file.
echo "windows: patches of the hack pairs, against the Linux build's"
if ZARNITH_BUILD_DIR=build bash scripts/build.sh zarnith zarnith_hack_pairs >/dev/null; then
    pairs=$(mktemp -d)
    build/tools/zarnith_hack_pairs "$pairs" >"$pairs/names"
    while read -r name; do
        build/ui/zarnith --patch "$pairs/$name.unmodified.gba" "$pairs/$name.gba" "$pairs/$name.linux.bps" >/dev/null 2>&1 || true
        run "$build_dir/ui/zarnith.com" --patch "$pairs/$name.unmodified.gba" "$pairs/$name.gba" \
            "$pairs/$name.windows.bps" >/dev/null 2>&1 || true
        if [ -s "$pairs/$name.linux.bps" ] && cmp -s "$pairs/$name.linux.bps" "$pairs/$name.windows.bps"; then
            echo "windows: $name: the same patch ($(stat -c %s "$pairs/$name.linux.bps") bytes)"
        else
            echo "windows: $name: the patches differ, or one was not written" >&2
            failed+=("patch-$name")
        fi
    done <"$pairs/names"
    rm -rf "$pairs"
else
    echo "windows: the Linux build for the patch comparison failed" >&2
    failed+=(patch-comparison)
fi
"$wineserver" -k 2>/dev/null || true

if [ ${#failed[@]} -gt 0 ]; then
    echo "windows: failed: ${failed[*]}" >&2
    exit 1
fi
