# Sourced by the scripts that build a library from Debian's own source package.
#
# debian_source PACKAGE VERSION FOLDER
#   Unpacks the source package PACKAGE into FOLDER/src: version VERSION when it can be fetched,
#   otherwise the newest version of the same upstream release that can (an installed security
#   update, say, whose source the machine's package source does not serve). apt verifies what it
#   downloads as always. Sets debian_source_version to the version unpacked and says which one it
#   was on standard error; fails, naming every version tried, when none can be fetched.
#
# debian_source_built PREFIX VERSION SUFFIX
#   Prints the folder PREFIX<version>SUFFIX of a finished build (one holding .complete) from the
#   source of VERSION, or else of the newest version of its upstream release; nothing when there
#   is none. Versions are named without their epoch.
#
# debian_source_upstream VERSION
#   Prints VERSION's upstream release: no epoch, no Debian revision.

debian_source_upstream() {
    local version=${1#*:}
    printf '%s\n' "${version%-*}"
}

debian_source_built() {
    local prefix=$1 wanted=${2#*:} suffix=$3 folder version best=""
    if [ -f "$prefix$wanted$suffix/.complete" ]; then
        printf '%s\n' "$prefix$wanted$suffix"
        return
    fi
    for folder in "$prefix$(debian_source_upstream "$wanted")"-*"$suffix"; do
        [ -f "$folder/.complete" ] || continue
        version=${folder#"$prefix"}
        version=${version%"$suffix"}
        if [ -z "$best" ] || dpkg --compare-versions "$version" gt "$best"; then best=$version; fi
    done
    [ -n "$best" ] && printf '%s\n' "$prefix$best$suffix"
    return 0
}

debian_source() {
    local package=$1 wanted=$2 folder=$3
    local sudo="" version upstream candidates=() sorted=() tried=()
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    # apt-get source needs deb-src lines: the machine's own Debian entries, repeated as deb-src.
    local list=/etc/apt/sources.list.d/zarnith-deb-src.sources
    if [ ! -f "$list" ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $sudo tee "$list" >/dev/null
        $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq >&2
    fi

    # The wanted version first, then the others of its upstream release, newest first.
    upstream=$(debian_source_upstream "$wanted")
    while read -r version; do
        [ "$version" != "$wanted" ] && [ "$(debian_source_upstream "$version")" = "$upstream" ] && candidates+=("$version")
    done < <(apt-cache showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p' | sort -u)
    while [ ${#candidates[@]} -gt 0 ]; do
        local newest=0 i
        for i in "${!candidates[@]}"; do
            dpkg --compare-versions "${candidates[$i]}" gt "${candidates[$newest]}" && newest=$i
        done
        sorted+=("${candidates[$newest]}")
        unset "candidates[$newest]"
        candidates=("${candidates[@]}")
    done

    mkdir -p "$folder"
    for version in "$wanted" "${sorted[@]}"; do
        tried+=("$version")
        rm -rf "${folder:?}"/*
        if (cd "$folder" && apt-get source --download-only "$package=$version" >/dev/null 2>&1); then
            (cd "$folder" && dpkg-source -x ./*.dsc src >/dev/null)
            debian_source_version=$version
            if [ "$version" = "$wanted" ]; then
                echo "Building from Debian's source of $package $version, the installed version" >&2
            else
                echo "Building from Debian's source of $package $version: the installed version $wanted" \
                    "cannot be fetched, and this is the newest of the same upstream release ($upstream) that can" >&2
            fi
            return 0
        fi
    done
    echo "Cannot fetch Debian's source of $package: tried ${tried[*]} (upstream release $upstream)." >&2
    echo "Is a deb-src entry for the machine's Debian release in its package sources?" >&2
    return 1
}
