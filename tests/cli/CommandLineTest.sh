#!/usr/bin/env bash
# The command line on synthetic images, with no display: CommandLineTest.sh ZARNITH SYNTHETIC_ROM.
# $ZARNITH_RUNNER, when set, runs both (Wine, for the Windows build). Prints each failure; fails
# if any.
set -uo pipefail
# Absolute, so that a check may run in the temporary folder.
zarnith=$(realpath "$1")
synthetic=$(realpath "$2")
runner=${ZARNITH_RUNNER:-}
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
dir=$(mktemp -d)
trap 'chattr -i "$dir"/* 2>/dev/null; rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
z() { $runner "$zarnith" "$@" 2>"$dir/err" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
rom() { $runner "$synthetic" "$@" || { fail "synthetic image $*"; exit 1; }; }
# The entry lines of a listing: the numbers only.
numbers() { grep -v '^#' | cut -d' ' -f1 | tr '\n' ' '; }
expect() { # STATUS DESCRIPTION COMMAND...: the exit status a command must end with
    local want=$1 what=$2
    shift 2
    z "$@" >"$dir/out"
    local got=$?
    [ "$got" = "$want" ] || fail "$what: exit $got, not $want: $(cat "$dir/err")"
}

rom "$dir/en.gba"
rom --table 5,6,7,8,9,10,11,12,13,14 "$dir/other.gba"
rom --game AXVD --renamed --table 2,3,4,5,6,7,8,9,10,11 "$dir/de.gba"
rom --moves 1023 "$dir/hack.gba"

expect 0 "--list" --list "$dir/en.gba"
cp "$dir/out" "$dir/en.txt"
head -n 1 "$dir/en.txt" | grep -q '^# .*Fire Red.*0x250104' || fail "--list heading: $(head -n 1 "$dir/en.txt")"
[ "$(sed -n 4p "$dir/en.txt")" = "45 Move45" ] || fail "--list entry: $(sed -n 4p "$dir/en.txt")"

# Round trip, and a table of another language: the numbers carry over, the names are notes.
expect 0 "--import into the same game" --import "$dir/en.txt" "$dir/other.gba"
[ "$(z --list "$dir/other.gba")" = "$(cat "$dir/en.txt")" ] || fail "round trip differs"
expect 0 "--import into the German image" --import "$dir/en.txt" "$dir/de.gba"
LC_ALL=C grep -q "en.txt: Line 4: move 45 is .*tzend45 in this image, not Move45\." "$dir/err" || fail "no note: $(cat "$dir/err")"
[ "$(z --list "$dir/de.gba" | numbers)" = "$(numbers <"$dir/en.txt")" ] || fail "German numbers differ"
printf 'ätzend1\nÄTZEND354\n' >"$dir/names.txt"
expect 0 "--import of umlaut names" --import "$dir/names.txt" "$dir/de.gba"
[ "$(z --list "$dir/de.gba" | numbers)" = "1 354 " ] || fail "umlaut names: $(z --list "$dir/de.gba")"
printf '# names alone\nmove360\n\nMOVE1023\n  Move5  \r\n' >"$dir/names.txt"
expect 0 "--import of names into a long list" --import "$dir/names.txt" "$dir/hack.gba"
[ "$(z --list "$dir/hack.gba" | numbers)" = "360 1023 5 " ] || fail "long list: $(z --list "$dir/hack.gba")"
expect 0 "--import from standard input" --import - "$dir/other.gba" <"$dir/en.txt"

# Refusals leave the image byte for byte as it was.
cp "$dir/en.gba" "$dir/before.gba"
seq 1 11 >"$dir/eleven.txt"
printf '1\nSomething\n' >"$dir/unknown.txt"
printf '1\n355 Move355\n' >"$dir/number.txt"
yes 1 | head -n 355 >"$dir/toomany.txt"
printf '1\n\xff\n' >"$dir/binary.txt"
head -c 70000 /dev/zero | tr '\0' '1' >"$dir/large.txt"
: >"$dir/empty.txt"
printf '45\n\xc3\x28tzend\n' >"$dir/latin.txt"
for text in eleven unknown number toomany binary large empty missing; do
    expect 1 "--import of $text.txt" --import "$dir/$text.txt" "$dir/en.gba"
    cmp -s "$dir/en.gba" "$dir/before.gba" || fail "--import of $text.txt changed the image"
done
grep -q 'missing.txt could not be read' "$dir/err" || fail "missing text: $(cat "$dir/err")"
expect 1 "--import of a name" --import "$dir/unknown.txt" "$dir/en.gba"
grep -q 'Line 2 of .*unknown.txt: no move of this image is named "Something"' "$dir/err" || fail "reason: $(cat "$dir/err")"
expect 1 "--import of a refused Windows-1252 text" --import "$dir/latin.txt" "$dir/en.gba"
grep -q '^zarnith: The text is not UTF-8: it was read as Windows-1252' "$dir/err" || fail "refused without its note: $(cat "$dir/err")"
expect 0 "--import with --allow-move" --import "$dir/eleven.txt" "$dir/en.gba" --allow-move
[ "$(z --list "$dir/en.gba" | numbers)" = "$(seq 1 11 | tr '\n' ' ')" ] || fail "moved table"

expect 0 "--info" --info "$dir/en.gba"
grep -qx 'code: BPRE' "$dir/out" && grep -qx 'sha1: [0-9a-f]\{40\}' "$dir/out" || fail "--info: $(cat "$dir/out")"
grep -qx 'table read: yes' "$dir/out" || fail "--info of an intact path: $(cat "$dir/out")"
expect 0 "--patch" --patch "$dir/before.gba" "$dir/en.gba" "$dir/p.bps"
[ "$(head -c 4 "$dir/p.bps")" = BPS1 ] || fail "--patch wrote no patch"
grep -q 'warning: .*before.gba is not the unmodified release' "$dir/err" || fail "no warning: $(cat "$dir/err")"
expect 1 "--patch from another game" --patch "$dir/de.gba" "$dir/en.gba" "$dir/q.bps"
[ ! -e "$dir/q.bps" ] || fail "--patch from another game wrote a patch"
if chattr +i "$dir/other.gba" 2>/dev/null; then
    expect 1 "--import into a read-only image" --import "$dir/en.txt" "$dir/other.gba"
    chattr -i "$dir/other.gba"
fi

# A table the game no longer reads: told, listed with a note, written only when allowed.
rom --unread "$dir/unread.gba"
cp "$dir/unread.gba" "$dir/unread-before.gba"
expect 0 "--info of a table not read" --info "$dir/unread.gba"
grep -qx "table read: no (the first battle command is at 0x089A3811, not the game's own 0x0801D761)" "$dir/out" \
    || fail "--info: $(grep 'table read' "$dir/out")"
expect 0 "--list of a table not read" --list "$dir/unread.gba"
sed -n 2p "$dir/out" | grep -q '^# The game does not read this table: the first battle command' || fail "--list: $(head -n 2 "$dir/out")"
expect 1 "--import into a table not read" --import "$dir/eleven.txt" "$dir/unread.gba"
cmp -s "$dir/unread.gba" "$dir/unread-before.gba" || fail "--import into a table not read changed the image"
grep -q 'unread.gba: The game may no longer read this sound-move table: the first' "$dir/err" \
    && grep -q 'not without --allow-unread' "$dir/err" || fail "no reason: $(cat "$dir/err")"
expect 0 "--import with --allow-unread" --import "$dir/eleven.txt" "$dir/unread.gba" --allow-unread --allow-move
[ "$(z --list "$dir/unread.gba" | numbers)" = "$(seq 1 11 | tr '\n' ' ')" ] || fail "--allow-unread wrote no table"
expect 2 "--allow-unread alone" --allow-unread "$dir/en.gba"

# Messages say what happened: output "-" is a file, pipes are read, one entry is one, a cut file
# tells nothing it did not read, a patch goes over no image, usage errors exit 2.
cd "$dir" # the patch named - is written here, not in the folder the checks were started from
expect 0 "--patch to a file named -" --patch "$dir/before.gba" "$dir/en.gba" -
cd - >/dev/null
[ -f "$dir/-" ] || fail "no patch named -"
grep -q '^zarnith: The patch was written to - (' "$dir/err" || fail "output -: $(cat "$dir/err")"
echo 7 >"$dir/one.txt"
expect 0 "--import of one entry" --import "$dir/one.txt" "$dir/en.gba"
grep -q 'en.gba: The file was successfully saved!' "$dir/err" || fail "saved: $(cat "$dir/err")"
# /dev/stdin, a pipe from the shell and a piped standard input are Linux's; Wine reads a pipe's end
# as a failed read.
[ -n "$runner" ] || expect 0 "--import of /dev/stdin" --import /dev/stdin "$dir/en.gba" <"$dir/one.txt"
[ -n "$runner" ] || expect 0 "--import of a pipe" --import <(echo 9) "$dir/en.gba"
printf 'move 8 # a comment\n' >"$dir/loose.txt"
expect 0 "--import of a name with a space" --import - "$dir/en.gba" <"$dir/loose.txt"
grep -q '"move 8" was read as Move8 (move 8), spaces and hyphens aside' "$dir/err" || fail "loose: $(cat "$dir/err")"
head -c 1000 "$dir/en.gba" >"$dir/cut.gba"
expect 0 "--info of a cut file" --info "$dir/cut.gba"
grep -q 'table word\|moves' "$dir/out" && fail "--info told what it did not read: $(cat "$dir/out")"
cp "$dir/de.gba" "$dir/de.before"
expect 1 "--patch over another image" --patch "$dir/before.gba" "$dir/en.gba" "$dir/de.gba"
cmp -s "$dir/de.gba" "$dir/de.before" && grep -q 'de.gba: The patch was not written.*not a patch' "$dir/err" || fail "over image: $(cat "$dir/err")"
cp "$dir/en.gba" "$dir/big.gba" && truncate -s 300M "$dir/big.gba"
expect 1 "--patch of a file over 256 MiB" --patch "$dir/before.gba" "$dir/big.gba" "$dir/big.bps"
grep -q 'larger than 256 MiB' "$dir/err" && [ ! -e "$dir/big.bps" ] || fail "too large: $(cat "$dir/err")"
rm -f "$dir/big.gba"
if chattr +i "$dir/p.bps" 2>/dev/null; then
    expect 1 "--patch over a read-only patch" --patch "$dir/before.gba" "$dir/en.gba" "$dir/p.bps"
    grep -q 'p.bps: The patch was not written.*not allowed to write' "$dir/err" || fail "read-only: $(cat "$dir/err")"
    chattr -i "$dir/p.bps"
fi
if [ -z "$runner" ]; then # Wine tells such a name as missing
    expect 1 "--info of a name too long" --info "$dir/$(printf 'a%.0s' {1..300}).gba"
    grep -q 'its name is too long' "$dir/err" || fail "long name: $(cat "$dir/err")"
fi
expect 2 "--version beside a command" --info "$dir/en.gba" --version
[ -n "$runner" ] || QT_QPA_PLATFORM=offscreen expect 2 "an unknown option with a display" --lisst "$dir/en.gba"

expect 2 "--list without an image" --list
expect 2 "--patch without its patch" --patch "$dir/before.gba" "$dir/en.gba"
expect 2 "--allow-move alone" --allow-move "$dir/en.gba"
expect 2 "an unknown option" --lisst "$dir/en.gba"
expect 0 "--help" --help
grep -q -- '--import <TEXT>' "$dir/out" && grep -q -- '--allow-unread' "$dir/out" || fail "--help: $(cat "$dir/out")"

[ "$failures" -eq 0 ] && echo "command line: all checks passed"
[ "$failures" -eq 0 ]
