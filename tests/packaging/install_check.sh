#!/usr/bin/env bash
# Installs the build into a scratch prefix as `cmake --install` does for users, checks the
# layout with the desktop's own validators, and starts the installed program.
# Usage: install_check.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1
id=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

# The program and Tarnwell.dll in lib/glimmerwick, reached through a relative link; the
# help under share/glimmerwick; the licence and changelog under share/doc.
pkg=$prefix/lib/glimmerwick
for f in lib/glimmerwick/glimmerwick lib/glimmerwick/Tarnwell.dll share/glimmerwick/help.chm \
         share/glimmerwick/help/index.html share/glimmerwick/help/browse.html \
         share/doc/glimmerwick/copyright share/doc/glimmerwick/changelog.gz; do
  [ -f "$prefix/$f" ] || fail "$prefix/$f missing"
done
[ ! -e "$pkg/help" ] && [ ! -e "$pkg/help.chm" ] || fail "help pages installed under lib/"
[ -x "$pkg/glimmerwick" ] || fail "the program is not executable"
link=$(readlink "$prefix/bin/glimmerwick") || fail "bin/glimmerwick is not a link"
[ "$link" = ../lib/glimmerwick/glimmerwick ] || fail "bin/glimmerwick points to $link"

desktop-file-validate "$prefix/share/applications/$id.desktop"
grep -q '^Exec=glimmerwick %f$' "$prefix/share/applications/$id.desktop" || fail "Exec line"
grep -q '^MimeType=application/x-msdownload;application/x-ms-ne-executable;image/vnd.microsoft.icon;$' \
  "$prefix/share/applications/$id.desktop" || fail "MimeType line"
# Folders stay with the file manager: the program takes one as argument, but claims none.
! grep -q 'inode/directory' "$prefix/share/applications/$id.desktop" || fail "the desktop entry claims folders"
# --no-net: the URLs cannot be reached from a machine without a network.
report=$(appstreamcli validate --pedantic --no-net "$prefix/share/metainfo/$id.metainfo.xml") \
  || fail "appstreamcli: $report"
echo "$report"
! grep -q '^[EW]: ' <<<"$report" || fail "appstreamcli reports errors or warnings"
grep -q '<project_license>MIT</project_license>' "$prefix/share/metainfo/$id.metainfo.xml" || fail "no licence in the metainfo"

# The program's own ID and homepage in every file that names one; none of the example
# domain's placeholders.
grep -q "^Icon=$id\$" "$prefix/share/applications/$id.desktop" || fail "Icon= is not $id"
grep -q "<id>$id</id>" "$prefix/share/metainfo/$id.metainfo.xml" || fail "the metainfo's ID is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/share/metainfo/$id.metainfo.xml" \
  || fail "the metainfo does not launch $id.desktop"
placeholders=$(grep -rIE 'example\.(org|com|net)|org\.example' "$prefix" | grep -v '<replaces><id>' || true)
[ -z "$placeholders" ] || fail "placeholders of the example domain in: $placeholders"

# Associations made under the earlier ID stay: the hidden entry of that ID claims no type
# of its own, but a default a user chose under it still opens the program.
old_id=$(sed -n 's|.*<replaces><id>\(.*\)</id>.*|\1|p' <(tr -d ' \n' <"$prefix/share/metainfo/$id.metainfo.xml"))
[ -n "$old_id" ] || fail "the metainfo names no earlier ID"
desktop-file-validate "$prefix/share/applications/$old_id.desktop"
grep -q '^NoDisplay=true$' "$prefix/share/applications/$old_id.desktop" || fail "$old_id.desktop is shown in menus"
! grep -q '^MimeType=' "$prefix/share/applications/$old_id.desktop" || fail "$old_id.desktop claims types"
update-desktop-database "$prefix/share/applications"
mkdir -p "$scratch/assoc"
printf '[Default Applications]\nimage/vnd.microsoft.icon=%s.desktop\n' "$old_id" >"$scratch/assoc/mimeapps.list"
gio_env=(env -i PATH="$prefix/bin:/usr/bin:/bin" HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/assoc"
         XDG_DATA_HOME="$scratch/none" XDG_DATA_DIRS="$prefix/share")
default=$("${gio_env[@]}" gio mime image/vnd.microsoft.icon | sed -n 1p)
[[ $default == *"$old_id.desktop" ]] || fail "a default chosen under $old_id is lost: $default"
rm "$scratch/assoc/mimeapps.list"
default=$("${gio_env[@]}" gio mime image/vnd.microsoft.icon | sed -n 1p)
[[ $default == *"$id.desktop" ]] || fail "the program is not offered for .ico files: $default"
# Programs stay with what runs them: the program is never the default for .exe files.
default=$("${gio_env[@]}" gio mime application/x-ms-dos-executable | sed -n 1p)
[[ $default != *Glimmerwick* ]] || fail "the program became the default for programs: $default"
rm -f "$prefix/share/applications/mimeinfo.cache"

# Every hicolor size holds a PNG of exactly that size.
for size in 16 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -f "$png" ] || fail "$png missing"
  got=$(identify -format '%wx%h' "$png")
  [ "$got" = "${size}x${size}" ] || fail "$png is $got"
done

# The command-line tool and the thumbnailer lie beside the program, linked from bin/.
for f in glimmerwick-cli glimmerwick-thumbnailer; do
  [ -x "$pkg/$f" ] || fail "$pkg/$f missing"
  link=$(readlink "$prefix/bin/$f") || fail "bin/$f is not a link"
  [ "$link" = "../lib/glimmerwick/$f" ] || fail "bin/$f points to $link"
done

# The KDE thumbnail plugin, where it was built, in Qt 5's plugin folder below the prefix,
# under kf5/thumbcreator where KIO's thumbnail worker looks.
if [ -f "$build/kf5/thumbcreator/glimmerwickthumbnail.so" ]; then
  plugins=$(qmake -query QT_INSTALL_PLUGINS)
  [ -f "$prefix${plugins#"$(qmake -query QT_INSTALL_PREFIX)"}/kf5/thumbcreator/glimmerwickthumbnail.so" ] \
    || fail "the KDE thumbnail plugin is not installed where KIO looks"
fi

# The man pages render without warnings from groff.
for page in glimmerwick glimmerwick-cli glimmerwick-thumbnailer; do
  man_page=$prefix/share/man/man1/$page.1.gz
  [ -f "$man_page" ] || fail "man page $page missing"
  warnings=$(zcat "$man_page" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "man page $page: $warnings"
done

# The installed program, started through its link from an unrelated folder, finds its
# companions and paints its window.
mkdir -p "$scratch/home" "$scratch/work"
out=$(cd "$scratch/work" && env HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" \
  QT_QPA_PLATFORM=offscreen GLIMMERWICK_QUIT_AFTER_PAINT=1 "$prefix/bin/glimmerwick" 2>&1) \
  || fail "the installed program failed: $out"
echo "$out"
grep -q 'first paint after' <<<"$out" || fail "no first paint"
grep -q 'Tarnwell.dll with 8 icons, help.chm found, help/index.html found' <<<"$out" \
  || fail "companions not found"
grep -qF "settings in $scratch/home/.config/glimmerwick/glimmerwick.INI" <<<"$out" \
  || fail "the installed program keeps its settings elsewhere"
[ ! -e "$pkg/glimmerwick.INI" ] || fail "settings written beside the installed program"
version=$("$prefix/bin/glimmerwick" --version)
[ "$version" = "glimmerwick $(sed -n 's/.*release version="\([^"]*\)".*/\1/p' "$prefix/share/metainfo/$id.metainfo.xml")" ] \
  || fail "--version printed '$version'"
# The installed command-line tool, started through its link from an unrelated folder.
data=$build/tests/data
cli=$prefix/bin/glimmerwick-cli
listing=$(cd "$scratch/work" && "$cli" list "$data/groups64.dll") || fail "glimmerwick-cli list failed"
grep -q . <<<"$listing" || fail "glimmerwick-cli list printed nothing"
mkdir "$scratch/out"
(cd "$scratch/work" && "$cli" extract -o "$scratch/out" --index 3 "$data/groups64.dll") \
  || fail "glimmerwick-cli extract failed"
[ "$(icotool -l "$scratch/out/groups64.dll_3.ico" | wc -l)" -ge 1 ] || fail "the extracted icon does not read"

# Every type that the desktop entry and the thumbnailer claim is known once the MIME
# package is installed, and files get those types by their names.
update-mime-database "$prefix/share/mime"
for t in $(sed -n 's/^MimeType=//p' "$prefix/share/applications/$id.desktop" \
             "$prefix/share/thumbnailers/glimmerwick.thumbnailer" | tr ';' ' '); do
  [ -f "$prefix/share/mime/$t.xml" ] || [ -f "/usr/share/mime/$t.xml" ] || fail "no MIME type $t"
done
mkdir "$scratch/types"
for pair in a.dll:application/x-msdownload a.mun:application/x-msdownload a.ocx:application/x-msdownload \
            a.icl:application/x-ms-ne-executable a.exe:application/x-ms-dos-executable \
            a.ico:image/vnd.microsoft.icon a.ani:application/x-navi-animation; do
  file=$scratch/types/${pair%%:*}
  cp "$data/groups32.dll" "$file"
  got=$(XDG_DATA_DIRS="$prefix/share:/usr/share" gio info -a standard::content-type "$file" | sed -n 's/.*content-type: //p')
  [ "$got" = "${pair#*:}" ] || fail "${pair%%:*} is $got, not ${pair#*:}"
done
# What update-mime-database made goes again (a package's trigger makes it in /usr).
find "$prefix/share/mime" -mindepth 1 -maxdepth 1 ! -name packages -exec rm -rf {} +

# The thumbnailer as a file manager starts it: the .thumbnailer file's TryExec and Exec
# found on a PATH that holds the installed bin/, %s %i %o %u filled in.
entry=$prefix/share/thumbnailers/glimmerwick.thumbnailer
[ -f "$entry" ] || fail "$entry missing"
try_exec=$(sed -n 's/^TryExec=//p' "$entry")
exec_line=$(sed -n 's/^Exec=//p' "$entry")
run_path=$prefix/bin:/usr/bin:/bin
[ "$(PATH=$run_path command -v "$try_exec")" = "$prefix/bin/$(basename "$try_exec")" ] \
  || fail "TryExec=$try_exec is not the installed thumbnailer"
thumb=$scratch/work/thumb.png
read -r -a argv <<<"$exec_line"
for i in "${!argv[@]}"; do
  case ${argv[$i]} in
    %s) argv[$i]=16 ;;
    %i) argv[$i]=$data/library9.icl ;;
    %u) argv[$i]=file://$data/library9.icl ;;
    %o) argv[$i]=$thumb ;;
  esac
done
[ "$(PATH=$run_path command -v "${argv[0]}")" = "$prefix/bin/$(basename "${argv[0]}")" ] \
  || fail "Exec names ${argv[0]}, not the installed thumbnailer"
(cd "$scratch/work" && PATH=$run_path "${argv[@]}") || fail "the thumbnailer failed: ${argv[*]}"
[ "$(identify -format '%wx%h' "$thumb")" = 16x16 ] || fail "thumbnail is $(identify -format '%wx%h' "$thumb")"

# Uninstalling removes every installed file and the folders left empty, and nothing else.
mkdir -p "$prefix/share/applications/other"
touch "$prefix/share/applications/other/kept.desktop"
cmake --build "$build" --target uninstall >/dev/null || fail "the uninstall target failed"
left=$(cd "$prefix" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./share ./share/applications ./share/applications/other ./share/applications/other/kept.desktop " ] \
  || fail "after uninstalling: $left"
echo "install check passed"
