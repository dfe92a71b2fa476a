#!/usr/bin/env bash
# Installs the build tree into a temporary folder (DESTDIR, an unusual
# prefix) and checks the tree a desktop finds there: every file in its place
# and nothing else, valid menu entries and metainfo, icons of every size,
# readable manual pages, the documents, the parameter files' types opened by
# their programs through xdg-open, --version/--help/unknown options of every
# program, and both installed programs opening their windows, with the class
# of their menu entries and their icons, under a virtual X server.
# Arguments: <build dir> <source dir> <release>
source "$(dirname "$0")/../smoke/smoke_lib.sh" "$1" "$2"
version=$3
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

prefix=/opt/arrhythmica-test
DESTDIR="$work/root" cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
    { cat "$work/install.log" >&2; echo "cmake --install failed" >&2; exit 1; }
tree="$work/root$prefix"
[ -d "$tree" ] || { echo "nothing installed under $prefix" >&2; exit 1; }
# Nothing lands outside the prefix.
outside=$(cd "$work/root" && find . -mindepth 1 -not -path ".$prefix" -not -path ".$prefix/*" \
    -not -path "./opt" | sort)
[ -z "$outside" ] || fail "installed outside the prefix: $outside"

# The whole tree, and nothing more.
programs=(ecgtrace ecgtrace-batch myogrid myogrid-batch)
ids=(org.arrhythmica.Ecgtrace org.arrhythmica.Myogrid)
{
    for p in "${programs[@]}"; do echo "bin/$p"; echo "share/man/man1/$p.1.gz"; done
    for f in "$src"/data/ecgtrace/*; do echo "share/ecgtrace/$(basename "$f")"; done
    for f in copyright changelog.gz README.md LICENSE; do echo "share/doc/arrhythmica/$f"; done
    echo "share/mime/packages/arrhythmica.xml"
    for id in "${ids[@]}"; do
        echo "share/applications/$id.desktop"
        echo "share/metainfo/$id.metainfo.xml"
        echo "share/icons/hicolor/scalable/apps/$id.svg"
        echo "share/icons/hicolor/48x48/apps/$id.png"
        echo "share/icons/hicolor/256x256/apps/$id.png"
    done
} | sort >"$work/expected"
(cd "$tree" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$work/installed"
diff -u "$work/expected" "$work/installed" >&2 || fail "installed files differ from the expected list"
for p in "${programs[@]}"; do [ -x "$tree/bin/$p" ] || fail "bin/$p is not executable"; done
cmp -s "$src/data/ecgtrace/V13.rtf" "$tree/share/ecgtrace/V13.rtf" || fail "share/ecgtrace/V13.rtf differs"

# Relocatable: no file beside the programs names the prefix, the build or the sources.
if grep -rlF -e "$prefix" -e "$build" -e "$src" "$tree/share" >&2; then
    fail "files in share/ hold an absolute path"
fi
# No placeholder address in what is shipped.
if grep -rlI -e '\.example\b' "$tree" >&2; then fail "placeholder addresses in the installed tree"; fi
cmp -s "$src/LICENSE" "$tree/share/doc/arrhythmica/LICENSE" || fail "LICENSE differs"
zcat "$tree/share/doc/arrhythmica/changelog.gz" | cmp -s - "$src/CHANGELOG.md" || fail "changelog.gz is not CHANGELOG.md"

# Menu entries: valid, started by an installed program with the option the
# menu passes, with an icon of every size.
for id in "${ids[@]}"; do
    desktop="$tree/share/applications/$id.desktop"
    desktop-file-validate "$desktop" >"$work/validate.log" 2>&1 || {
        cat "$work/validate.log" >&2; fail "desktop-file-validate $id.desktop"; }
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    read -r exec_program exec_args <<<"$exec_line"
    [ -x "$tree/bin/$exec_program" ] || fail "$id.desktop starts $exec_program, which is not installed"
    [ "$exec_args" = "--user-folder %f" ] || fail "$id.desktop passes '$exec_args' instead of --user-folder %f"
    [ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "$id.desktop names another icon"
done

# Icons: the SVG is well-formed, each PNG has the size of its folder.
python3 - "$tree/share/icons/hicolor" "${ids[@]}" <<'PY' || fail "icons"
import struct, sys, xml.etree.ElementTree as ET
root, ids = sys.argv[1], sys.argv[2:]
bad = 0
for id_ in ids:
    svg = ET.parse(f"{root}/scalable/apps/{id_}.svg").getroot()
    if svg.tag != "{http://www.w3.org/2000/svg}svg":
        print(f"{id_}.svg is not an SVG picture", file=sys.stderr); bad = 1
    for size in (48, 256):
        with open(f"{root}/{size}x{size}/apps/{id_}.png", "rb") as f:
            head = f.read(24)
        if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
            print(f"{size}x{size}/{id_}.png is not a PNG picture", file=sys.stderr); bad = 1
            continue
        w, h = struct.unpack(">II", head[16:24])
        if (w, h) != (size, size):
            print(f"{size}x{size}/{id_}.png is {w} x {h}", file=sys.stderr); bad = 1
sys.exit(bad)
PY

# Metainfo: valid without the network; launchable, binaries, release and
# screenshots point at what exists.
for id in "${ids[@]}"; do
    meta="$tree/share/metainfo/$id.metainfo.xml"
    appstreamcli validate --no-net "$meta" >"$work/appstream.log" 2>&1 || {
        cat "$work/appstream.log" >&2; fail "appstreamcli validate $id.metainfo.xml"; }
    python3 - "$meta" "$id" "$tree" "$src/docs/screenshots" "$version" <<'PY' || fail "$id.metainfo.xml content"
import os, sys, xml.etree.ElementTree as ET
meta, id_, tree, shots, version = sys.argv[1:]
c = ET.parse(meta).getroot()
problems = []
if c.findtext("id") != id_: problems.append("id")
if c.findtext("launchable") != f"{id_}.desktop": problems.append("launchable")
if not os.path.exists(f"{tree}/share/applications/{c.findtext('launchable')}"): problems.append("no such menu entry")
for b in c.iter("binary"):
    if not os.access(f"{tree}/bin/{b.text}", os.X_OK): problems.append(f"binary {b.text}")
if [r.get("version") for r in c.iter("release")][:1] != [version]: problems.append("release")
if c.findtext("project_license") != "GPL-3.0-or-later": problems.append("project_license")
if c.findtext("metadata_license") != "CC0-1.0": problems.append("metadata_license")
release = c.find("releases/release")
if release is None or not release.findall("description/ul/li"): problems.append("no release notes")
if "Science" not in [x.text for x in c.iter("category")]: problems.append("not in Science")
images = [i.text for i in c.iter("image")]
for url in images:
    if not url.startswith("https://") or not os.path.exists(f"{shots}/{url.rsplit('/', 1)[-1]}"):
        problems.append(f"screenshot {url}")
if c.find("content_rating") is None: problems.append("content rating")
for p in problems: print(f"{id_}: {p}", file=sys.stderr)
sys.exit(1 if problems else 0)
PY
done

# The tree as a software centre reads it: metainfo, menu entries and icons together.
appstreamcli validate-tree --no-net "$tree" >"$work/appstream.log" 2>&1 || {
    cat "$work/appstream.log" >&2; fail "appstreamcli validate-tree"; }

# Manual pages: gzip files that format without a warning, of this release.
for p in "${programs[@]}"; do
    page="$tree/share/man/man1/$p.1.gz"
    gzip -t "$page" || { fail "$p.1.gz is not a gzip file"; continue; }
    warnings=$(zcat "$page" | groff -man -ww -z 2>&1) || fail "$p.1 does not format"
    [ -z "$warnings" ] || fail "$p.1: $warnings"
    zcat "$page" | head -n 1 | grep -qF "Arrhythmica $version" || fail "$p.1 names another release"
done

# File types: both parameter files end in .par, their content tells them
# apart, and xdg-open on a desktop (here GNOME's, through gio) starts the
# program of each with the file. Stand-ins for the programs record how they
# were started.
if command -v update-mime-database >/dev/null && command -v gio >/dev/null &&
    command -v xdg-open >/dev/null; then
    update-mime-database "$tree/share/mime" >"$work/mime.log" 2>&1
    update-desktop-database "$tree/share/applications"
    mkdir -p "$work/files" "$work/stand-ins" "$work/xdg-home" "$work/xdg-config"
    cp "$src/tests/data/ecgtrace/zero-n.par" "$work/files/signal.par"
    cp "$src/tests/data/myogrid/long_value.par" "$work/files/model.par"
    tr -d '\r' <"$src/tests/data/myogrid/long_value.par" >"$work/files/model-lf.par"
    for p in ecgtrace myogrid; do
        printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s/started-%s"\n' "$work" "$p" >"$work/stand-ins/$p"
        chmod +x "$work/stand-ins/$p"
    done
    while read -r file type program; do
        rm -f "$work"/started-*
        got=$(env XDG_DATA_DIRS="$tree/share:/usr/share" XDG_DATA_HOME="$work/xdg-home" \
            XDG_CONFIG_HOME="$work/xdg-config" gio info -a standard::content-type "$work/files/$file" |
            sed -n 's/^ *standard::content-type: //p')
        [ "$got" = "$type" ] || { fail "$file is typed $got, not $type"; continue; }
        env PATH="$work/stand-ins:$PATH" XDG_CURRENT_DESKTOP=GNOME XDG_DATA_DIRS="$tree/share:/usr/share" \
            XDG_DATA_HOME="$work/xdg-home" XDG_CONFIG_HOME="$work/xdg-config" \
            xdg-open "$work/files/$file" >"$work/xdg-open.log" 2>&1 || {
            cat "$work/xdg-open.log" >&2; fail "xdg-open $file"; continue; }
        for _ in $(seq 1 600); do [ -s "$work/started-$program" ] && break; sleep 0.1; done
        expected=$(printf '%s\n' --user-folder "$work/files/$file")
        [ "$(cat "$work/started-$program" 2>/dev/null)" = "$expected" ] ||
            fail "xdg-open $file did not start $program --user-folder with the file"
    done <<EOF2
signal.par application/x-ecgtrace-parameters ecgtrace
model.par application/x-myogrid-parameters myogrid
model-lf.par application/x-myogrid-parameters myogrid
EOF2
else
    fail "update-mime-database, gio or xdg-open is missing: file types not checked"
fi

# Every installed program answers --version, --help and an unknown option,
# without a display.
for p in "${programs[@]}"; do
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tree/bin/$p" --version 2>"$work/err") ||
        fail "$p --version ends with $?: $(cat "$work/err")"
    [ "$out" = "$p $version" ] || fail "$p --version prints '$out'"
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tree/bin/$p" --help 2>"$work/err") ||
        fail "$p --help ends with $?: $(cat "$work/err")"
    [[ "$out" == "usage: $p "* && "$out" == *--version* ]] || fail "$p --help prints '$out'"
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tree/bin/$p" --no-such-option \
        >"$work/out" 2>"$work/err" || status=$?
    [ "$status" -eq 2 ] || fail "$p --no-such-option ends with $status"
    [ ! -s "$work/out" ] || fail "$p --no-such-option prints on standard output"
    grep -q "usage: $p" "$work/err" || fail "$p --no-such-option prints no usage: $(cat "$work/err")"
done

# The installed Ecgtrace, started as its menu entry starts it from an empty
# folder, works in the user's own folder (created at the first start), reads
# the installed introduction texts and shows its main window without a box.
# A window of the running program: its class is the menu entry's
# StartupWMClass and it carries an icon.
cat >"$work/matches-menu-entry" <<'SH'
#!/usr/bin/env bash
title=$1 class=$2
got=$(xprop -name "$title" WM_CLASS 2>&1)
[ "$got" = "WM_CLASS(STRING) = \"$class\", \"$class\"" ] || { echo "'$title': $got"; exit 1; }
xprop -name "$title" _NET_WM_ICON 2>&1 | head -n 1 | grep -q '^_NET_WM_ICON(CARDINAL) = ' ||
    { echo "'$title' has no icon"; exit 1; }
SH
chmod +x "$work/matches-menu-entry"
for id in "${ids[@]}"; do
    class=$(sed -n 's/^StartupWMClass=//p' "$tree/share/applications/$id.desktop")
    [ "$class" = "$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$tree/share/applications/$id.desktop")" ] ||
        fail "$id.desktop: StartupWMClass $class is not the program's name"
done

mkdir "$work/reader"
cd "$work/reader"
export XDG_DATA_HOME="$work/user-data"
smoke_x
title="Simulation of Ventricular Fibrillation"
smoke_start "$work/ecgtrace.log" "$tree/bin/ecgtrace" --user-folder
smoke_window "$title"
# Error boxes bear the application title.
python3 "$xwindow" shown "VF simulation" 0 &>/dev/null && fail "the installed ecgtrace opened an error box"
kill -0 "$smoke_pid" 2>/dev/null || fail "the installed ecgtrace ended right after showing its window"
"$work/matches-menu-entry" "$title" ecgtrace || fail "the installed ecgtrace's window is not its menu entry's"
# No parameter file here, so closing would ask to save: end it instead.
kill "$smoke_pid"
wait "$smoke_pid" || true
[ -d "$XDG_DATA_HOME/ecgtrace" ] || fail "no per-user folder was made for the menu start"
[ -z "$(ls -A "$work/reader")" ] || fail "the menu start wrote into the folder it was started from"

# The installed Myogrid from the menu, with a parameter file in the user's
# folder whose browser and book exist, so that nothing is asked.
mkdir -p "$XDG_DATA_HOME/myogrid" "$work/book"
printf '#!/bin/sh\nexit 0\n' >"$work/browser"
chmod +x "$work/browser"
echo '<html></html>' >"$work/book/VFtitel.htm"
sed -e "s|^Browser=.*|Browser=$work/browser\r|" -e "s|^Book=.*|Book=$work/book/VFtitel.htm\r|" \
    "$src/tests/data/myogrid/long_value.par" >"$XDG_DATA_HOME/myogrid/Myogrid.par"
sed -i 's/^x nexus=.*/x nexus=18\r/' "$XDG_DATA_HOME/myogrid/Myogrid.par"
title="ventricular fibrillation models"
smoke_start "$work/myogrid.log" "$tree/bin/myogrid" --user-folder
smoke_window "$title"
"$work/matches-menu-entry" "$title" myogrid || fail "the installed myogrid's launcher is not its menu entry's"
kill "$smoke_pid"
wait "$smoke_pid" || true

if ((failures)); then
    echo "$failures check(s) of the installed tree failed" >&2
    exit 1
fi
echo "installed tree ok"
