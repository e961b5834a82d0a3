# Sourced by the prefix recipes: source_of NAME[=VERSION] unpacks Debian's
# source package in $src once and prints its folder. Without a version, the
# newest that can be had: a mirror may list sources, security updates' say,
# that it does not hold.
source_of() {
    local name=${1%%=*} dir versions=("$1")
    dir=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name "$name-*" | head -n 1)
    if [ -z "$dir" ]; then
        [ "$name" != "$1" ] \
            || mapfile -t versions < <(apt-cache showsrc "$name" | sed -n "s/^Version: /$name=/p" | sort -ruV)
        for v in "${versions[@]}"; do
            (cd "$src" && apt-get source -qq "$v" >/dev/null 2>&1) && break
        done
        dir=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name "$name-*" | head -n 1)
        [ -n "$dir" ] || { echo "apt-get source $name failed: is there a deb-src entry?" >&2; exit 1; }
    fi
    echo "$dir"
}
