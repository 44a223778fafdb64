#!/usr/bin/env bash
# Debian package checks: build it with cpack, inspect it with dpkg-deb, run its launcher
# from an unpacked copy against a scratch home folder.
# Usage: deb_test.sh build|contents|launcher <build folder> <package folder> <source folder> <version>
set -euo pipefail

step=$1 build=$2 out=$3 src=$4 version=$5
name=qs310-manager
prog=opt/$name

fail() { echo "FAIL: $*" >&2; exit 1; }
the_deb() {
    local debs=("$out"/${name}_*.deb)
    [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package in $out, found: ${debs[*]}"
    echo "${debs[0]}"
}

build_deb() {
    rm -rf "$out"
    mkdir -p "$out"
    # Its own package folder, so a developer's cpack in the same build folder is not disturbed.
    (cd "$build" && cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake") || fail "cpack failed"
    local deb
    deb=$(the_deb)
    [ "$(basename "$deb")" = "${name}_${version}_$(dpkg --print-architecture).deb" ] || fail "unexpected file name $deb"
    echo "built $deb"
}

contents() {
    local deb list info
    deb=$(the_deb)
    info=$(dpkg-deb -I "$deb")
    # "mode path" per entry (paths may hold spaces: the quick-start documents do).
    list=$(dpkg-deb -c "$deb" | sed -E 's#^(\S+)\s+\S+\s+\S+\s+\S+\s+\S+\s+\./#\1 #')
    echo "$info"

    [ "$(dpkg-deb -f "$deb" Package)" = "$name" ] || fail "package name"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
    [ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
    # The libraries the program links: computed, so each one the program needs must be there.
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6serialport6 libqt6uitools6 libqt6multimedia6 \
               liborcus-parser-0.17-0 libfreexl1 fonts-dejavu-core; do
        grep -Eq "(^|, )${lib//+/\\+}( |,|$)" <<<"$depends" || fail "Depends lacks $lib: $depends"
    done

    has() { grep -Eq "^$1 $2\$" <<<"$list" || fail "missing from the package: $2"; }
    lacks() { ! grep -Eq " $1" <<<"$list" || fail "must not be packaged: $(grep -E " $1" <<<"$list" | head -3)"; }
    local x='-rwxr-xr-x' f='-rw-r--r--'
    has "$x" "$prog/QS310Manager"
    has "$x" "usr/bin/$name"
    has "$x" "usr/bin/qs310-standin"
    has "$f" "usr/share/applications/$name.desktop"
    has "$f" "$prog/README.md"
    has "$f" "$prog/qs310-manager.png"
    has "$f" "usr/share/doc/$name/copyright"
    has "$f" "usr/share/doc/$name/changelog.gz"
    has "$f" "usr/share/man/man1/$name.1.gz"
    has "$f" "usr/share/man/man1/qs310-standin.1.gz"
    has "$f" "usr/share/icons/hicolor/scalable/apps/$name.svg"
    for s in 48 64 128 256; do has "$f" "usr/share/icons/hicolor/${s}x$s/apps/$name.png"; done
    for t in 444 533 695 888; do has "$f" "$prog/Bip${t}Hz.wav"; done
    # Every panel file of every resource, every text file and every quick-start document.
    local ui md txt
    for ui in "$src"/panels/*.uir/*.ui; do
        has "$f" "$prog/$(basename "$(dirname "$ui")")/$(basename "$ui")"
    done
    for txt in "$build"/QS310/Texts/*.gentxt; do has "$f" "$prog/Texts/$(basename "$txt")"; done
    for txt in "$build"/QS310/Texts/*_EN.gentxt; do
        for lang in FR DT IT; do has "$f" "$prog/Texts/$(basename "$txt" _EN.gentxt)_$lang.gentxt"; done
    done
    local web
    for web in "$src"/display/Web/*; do has "$f" "$prog/Web/$(basename "$web")"; done
    for md in "$src"/docs/quickstart/*.md; do
        has "$f" "$prog/Doc/Quick Start QS310 Manager $(basename "$md" .md).pdf"
    done
    # A developer's own files in the build's program folder never travel in the package.
    lacks '.*\.(sbcnf|q31cnf|q12cnf|q12ct|q31tps)$'
    lacks "$prog/(Chronos|Settings|Data|Ports)/"

    local root=$out/root
    rm -rf "$root"
    dpkg-deb -x "$deb" "$root"
    file "$root/$prog/QS310Manager" | grep -q 'ELF.*, stripped' || fail "program not a stripped ELF executable"
    for s in 48 64 128 256; do
        file "$root/usr/share/icons/hicolor/${s}x$s/apps/$name.png" | grep -q "PNG image data, $s x $s" ||
            fail "icon ${s}x$s is not a PNG of that size"
    done
    grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/$name.svg" || fail "scalable icon is no SVG"

    # Debian's own documents: a machine-readable copyright file, a changelog whose newest
    # entry is this version, and manual pages that render without a warning.
    local doc=$root/usr/share/doc/$name
    grep -q '^Format: ' "$doc/copyright" && grep -q '^Files: \*' "$doc/copyright" && grep -q '^License: ' "$doc/copyright" ||
        fail "copyright file is not in the machine-readable form"
    gzip -t "$doc/changelog.gz" || fail "changelog.gz is no valid gzip file"
    [ "$(od -An -tu4 -j4 -N4 "$doc/changelog.gz" | tr -d ' ')" = 0 ] || fail "changelog.gz carries a time stamp"
    zcat "$doc/changelog.gz" | head -1 | grep -q "^$name ($version) " || fail "changelog does not start with version $version"
    local page out
    for page in $name qs310-standin; do
        out=$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -man -Tutf8 -ww 2>&1 >/dev/null)
        [ -z "$out" ] || fail "manual page $page warns: $out"
        zcat "$root/usr/share/man/man1/$page.1.gz" | groff -man -Tutf8 2>/dev/null | grep -q "$page" ||
            fail "manual page $page does not name its command"
        zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "$version" || fail "manual page $page lacks the version"
    done

    local desktop=$root/usr/share/applications/$name.desktop
    local lang key
    for lang in fr de it; do
        for key in Name Comment; do
            grep -q "^$key\[$lang\]=." "$desktop" || fail "desktop entry has no $key in '$lang'"
        done
    done
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop entry does not validate"
    else
        echo "note: desktop-file-validate not installed, desktop entry checked by hand only"
    fi
    local exec icon
    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -x "$root/usr/bin/$exec" ] || fail "desktop entry runs '$exec', which the package does not install in /usr/bin"
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "desktop entry names icon '$icon', not installed"
}

# Starts the launcher in the background and waits for the files the program writes at start.
# Prints nothing; leaves the program's process id in $pid.
start_and_wait() {
    local home=$1; shift
    env -u XDG_DATA_HOME -u QS_PROGRAM_DIR -u DISPLAY HOME="$home" QT_QPA_PLATFORM=offscreen \
        "$root/usr/bin/$name" >"$home/launcher.log" 2>&1 &
    pid=$!
    local n=0 f
    while :; do
        local all=1
        for f in "$@"; do [ -e "$user/$f" ] || all=0; done
        [ $all = 1 ] && break
        kill -0 "$pid" 2>/dev/null || { cat "$home/launcher.log" >&2; fail "the program ended before writing $*"; }
        n=$((n + 1))
        [ $n -lt 600 ] || { kill "$pid"; fail "the program wrote none of $* in 60 s"; }
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null || { cat "$home/launcher.log" >&2; fail "the program did not keep running"; }
}

pid=
stop() {
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
}

launcher() {
    local deb
    deb=$(the_deb)
    tmp=$(mktemp -d /tmp/qs310-pkg-XXXXXX)   # global: the exit trap removes it
    trap 'stop; chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT
    root=$tmp/root
    dpkg-deb -x "$deb" "$root"
    chmod -R a-w "$root/$prog"   # as under /opt: the user cannot write there
    local home=$tmp/home
    mkdir -p "$home"
    user=$home/.local/share/$name
    local before
    before=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)

    # First start: the user folder is made, every read-only part linked into it, and the
    # program writes its configuration there (it then waits in the language choice).
    start_and_wait "$home" QS-310_V1-1.q31cnf QS-310_V1-1.sbcnf Chronos Settings
    stop
    local item
    for item in "$root/$prog"/*; do
        [ "$(basename "$item")" = QS310Manager ] && continue
        [ -L "$user/$(basename "$item")" ] || fail "$(basename "$item") not linked into the user folder"
        [ "$(readlink -f "$user/$(basename "$item")")" = "$(readlink -f "$item")" ] || fail "$(basename "$item") links elsewhere"
    done
    [ -d "$user/Ports" ] || fail "no Ports folder for serial port links"
    [ ! -e "$user/QS310Manager" ] || fail "the program itself was copied into the user folder"

    # Next start, as after an upgrade: the user's files and port links stay, a link to an item
    # the installation no longer has goes, and the program (language now chosen) opens its
    # main window, whose competitor unit writes its settings file.
    printf '\000' | dd of="$user/QS-310_V1-1.q31cnf" bs=1 count=1 conv=notrunc status=none
    echo "user settings" >"$user/Settings/mine.q31set"
    ln -s /dev/null "$user/Ports/COM5"
    ln -s "$(readlink -f "$root/$prog")/Old.uir" "$user/Old.uir"
    mkdir "$user/Notes"
    rm "$user/Doc" && mkdir "$user/Doc" && echo mine >"$user/Doc/own.txt"
    start_and_wait "$home" QS-120_V1-0.q12cnf
    stop
    [ "$(cat "$user/Settings/mine.q31set")" = "user settings" ] || fail "a user settings file changed"
    [ "$(readlink "$user/Ports/COM5")" = /dev/null ] || fail "a port link was lost"
    [ -d "$user/Notes" ] || fail "a user folder was removed"
    [ -f "$user/Doc/own.txt" ] && [ ! -L "$user/Doc" ] || fail "a user's own folder was replaced by a link"
    [ ! -L "$user/Old.uir" ] || fail "a link to an item no longer installed was kept"
    [ "$(head -c1 "$user/QS-310_V1-1.q31cnf" | od -An -tu1 | tr -d ' ')" = 0 ] || fail "the user's configuration was reset"

    # XDG_DATA_HOME moves the user folder, as for any desktop program.
    local xdg=$tmp/xdg
    env -u QS_PROGRAM_DIR XDG_DATA_HOME="$xdg" HOME="$home" QT_QPA_PLATFORM=offscreen "$root/usr/bin/$name" \
        >"$home/xdg.log" 2>&1 &
    pid=$!
    user=$xdg/$name
    local n=0
    until [ -e "$user/QS-310_V1-1.sbcnf" ]; do
        kill -0 "$pid" 2>/dev/null || fail "the program ended before writing its configuration under XDG_DATA_HOME"
        n=$((n + 1)); [ $n -lt 600 ] || fail "nothing written under XDG_DATA_HOME in 60 s"
        sleep 0.1
    done
    stop

    # The packaged stand-in clock runs and links its pty where the program looks for ports.
    "$root/usr/bin/qs310-standin" --link "$home/COM7" >"$tmp/standin.out" 2>&1 &
    pid=$!
    n=0
    until [ -L "$home/COM7" ] && grep -q '^pty /dev/' "$tmp/standin.out"; do
        kill -0 "$pid" 2>/dev/null || { cat "$tmp/standin.out" >&2; fail "the stand-in clock ended"; }
        n=$((n + 1)); [ $n -lt 300 ] || fail "the stand-in clock made no pty link in 30 s"
        sleep 0.1
    done
    [ "$(readlink "$home/COM7")" = "$(sed -n 's/^pty //p' "$tmp/standin.out")" ] || fail "the stand-in's link names another pty"
    stop

    # The installation itself is never written to.
    local after
    after=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
    [ "$before" = "$after" ] || fail "the installed files changed: $(diff <(echo "$before") <(echo "$after") | head -5)"

    # On the terminal: --help and --version answer without a window; without a display the
    # program says why and ends with status 1 (not an abort).
    local status=0
    HOME="$home" "$root/usr/bin/$name" --version | grep -qx "$name $version" || fail "--version"
    HOME="$home" "$root/usr/bin/$name" --help | grep -q '^Usage: ' || fail "--help"
    env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" QT_QPA_PLATFORM=xcb "$root/usr/bin/$name" 2>"$tmp/nodisplay.err" ||
        status=$?
    [ "$status" = 1 ] || fail "without a display the program ended with status $status"
    grep -q "no graphical display" "$tmp/nodisplay.err" || fail "no message without a display"

    # A launcher away from its installation says so instead of starting nothing.
    mkdir -p "$tmp/stray/usr/bin"
    cp "$root/usr/bin/$name" "$tmp/stray/usr/bin/"
    if HOME="$home" "$tmp/stray/usr/bin/$name" 2>"$tmp/stray.err"; then fail "a launcher without its program succeeded"; fi
    grep -q "missing" "$tmp/stray.err" || fail "no message from a launcher without its program"
}

case $step in
    build) build_deb ;;
    contents) contents ;;
    launcher) launcher ;;
    *) fail "unknown step $step" ;;
esac
echo "ok: $step"
