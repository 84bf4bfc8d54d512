# Sourced by the scripts that run Windows programs, from the repository's root: Wine with a
# prefix of its own in build-windows/, made once without a display, and no debug chatter. Sets
# $wine and $wineserver.
export WINEPREFIX="$PWD/build-windows/wine"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export wine wineserver
if [ ! -d "$WINEPREFIX" ]; then
    env -u DISPLAY -u WAYLAND_DISPLAY "$wine" wineboot --init >/dev/null 2>&1 || true
fi
