#!/bin/bash
# Builds the Debian packages (make package, into PKG_DIR) and checks what a user would get:
# the file list of each package, the dependencies dpkg-shlibdeps computed (no desktop library
# for tavrel), lintian, the desktop file, the AppStream metainfo, the icons and the manual page.
#   check_packages.sh SOURCE_DIR PKG_DIR VERSION
set -u
source_dir=$1 pkg_dir=$2 version=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-packages-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "check_packages: $*" >&2
  failures=$((failures + 1))
}

make -C "$source_dir" --no-print-directory package PKG_DIR="$pkg_dir" >"$work/make.log" 2>&1 || {
  cat "$work/make.log" >&2
  echo "check_packages: make package failed" >&2
  exit 1
}
arch=$(dpkg --print-architecture)
core_deb=$pkg_dir/tavrel_${version}_$arch.deb
desktop_deb=$pkg_dir/tavrel-desktop_${version}_$arch.deb
for deb in "$core_deb" "$desktop_deb"; do
  [ -f "$deb" ] || { echo "check_packages: $deb was not built" >&2; exit 1; }
done

# The files (not folders) of a package, links shown with their target, sorted.
files_of() {
  dpkg-deb -c "$1" | grep -v '^d' | awk '{ $1=$2=$3=$4=$5=""; sub(/^ +/, ""); print }' | sort
}

templates=$(cd "$source_dir/data/sample/Templates" && ls ./*.tpg | sed 's|^\./|./usr/lib/tavrel/starter-templates/|')
expected_core=$(sort <<LIST
./lib/systemd/system/tavrel-scan.service
./lib/systemd/system/tavrel-scan@.service
./usr/bin/tavrel -> ../lib/tavrel/tavrel
./usr/lib/sysusers.d/tavrel.conf
./usr/lib/tavrel/Help.rtf
./usr/lib/tavrel/p1216all.fon
./usr/lib/tavrel/tavrel
./usr/lib/tavrel/txtfont1.fnt
./usr/lib/tavrel/txtfont2.fnt
./usr/lib/tavrel/txtfont3.fnt
./usr/lib/tavrel/txtfont4.fnt
./usr/lib/tavrel/txtfont5.fnt
./usr/lib/tavrel/txtfont6.fnt
./usr/lib/tmpfiles.d/tavrel.conf
./usr/share/doc/tavrel/changelog.gz
./usr/share/doc/tavrel/copyright
./usr/share/man/man1/tavrel.1.gz
$templates
LIST
)
expected_desktop=$(sort <<LIST
./usr/lib/tavrel/tavrel-window
./usr/share/applications/tavrel.desktop
./usr/share/lintian/overrides/tavrel-desktop
./usr/share/doc/tavrel-desktop/changelog.gz
./usr/share/doc/tavrel-desktop/copyright
./usr/share/icons/hicolor/128x128/apps/tavrel.png
./usr/share/icons/hicolor/256x256/apps/tavrel.png
./usr/share/icons/hicolor/48x48/apps/tavrel.png
./usr/share/metainfo/com.dravik.tavrel.metainfo.xml
LIST
)
diff <(echo "$expected_core") <(files_of "$core_deb") >"$work/diff" ||
  fail "tavrel holds other files than expected (< expected, > in the package):
$(cat "$work/diff")"
diff <(echo "$expected_desktop") <(files_of "$desktop_deb") >"$work/diff" ||
  fail "tavrel-desktop holds other files than expected (< expected, > in the package):
$(cat "$work/diff")"

# Dependencies: computed from the libraries each program links.
core_depends=$(dpkg-deb -f "$core_deb" Depends)
desktop_depends=$(dpkg-deb -f "$desktop_deb" Depends)
echo "tavrel Depends: $core_depends"
echo "tavrel-desktop Depends: $desktop_depends"
case $core_depends in *libc6*) ;; *) fail "tavrel does not depend on libc6: the dependencies were not computed" ;; esac
case $core_depends in *libcurl4*) ;; *) fail "tavrel does not depend on libcurl4" ;; esac
if grep -qiE '(^|[ ,|])(libqt|qt6|libx11|libxcb|libxkbcommon|libxext|libxrender|libxi6|libgl|libegl|libopengl|libwayland|libfontconfig|libfreetype)' <<<"$core_depends"; then
  fail "tavrel depends on a desktop library: $core_depends"
fi
case $desktop_depends in *"tavrel (= $version)"*) ;; *) fail "tavrel-desktop does not depend on tavrel (= $version)" ;; esac
case $desktop_depends in *libqt6widgets6*) ;; *) fail "tavrel-desktop does not depend on libqt6widgets6" ;; esac

# lintian: no error and no warning. Its whole report is shown, notes included.
lintian --display-info --tag-display-limit 0 "$core_deb" "$desktop_deb" >"$work/lintian" 2>&1
echo "lintian:"
sed 's/^/  /' "$work/lintian"
grep -qE "^[EW]: " "$work/lintian" && fail "lintian reports errors or warnings"

# The files a desktop and a software centre read, taken out of the package.
dpkg-deb -x "$desktop_deb" "$work/desktop"
dpkg-deb -x "$core_deb" "$work/core"
desktop-file-validate "$work/desktop/usr/share/applications/tavrel.desktop" ||
  fail "desktop-file-validate reports problems"
appstreamcli validate --no-net --pedantic --explain "$work/desktop/usr/share/metainfo/com.dravik.tavrel.metainfo.xml" ||
  fail "appstreamcli validate reports problems"
grep -q '<screenshot type="default">' "$work/desktop/usr/share/metainfo/com.dravik.tavrel.metainfo.xml" ||
  fail "the metainfo names no screenshot"
for size in 48 128 256; do
  icon=$work/desktop/usr/share/icons/hicolor/${size}x${size}/apps/tavrel.png
  case $(file -b "$icon") in
    "PNG image data, $size x $size,"*) ;;
    *) fail "$icon is not a $size x $size PNG: $(file -b "$icon")" ;;
  esac
done

# The manual page renders without a warning and names every command and exit code.
man_page=$work/core/usr/share/man/man1/tavrel.1.gz
warnings=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$man_page" 2>&1 >"$work/man.txt")
[ -z "$warnings" ] || fail "man -l $man_page warns: $warnings"
commands=$("$work/core/usr/lib/tavrel/tavrel" --help | awk '/^Commands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }')
[ -n "$commands" ] || fail "the packaged tavrel lists no commands"
for command in $commands serve; do
  grep -qE "^ {3}tavrel $command( |$)" "$work/man.txt" || fail "the manual page does not describe '$command'"
done
for code in 0 1 2 3 4 5 6 7 8; do
  grep -qE "^ {7}$code( |$)" "$work/man.txt" || fail "the manual page does not explain exit status $code"
done

[ $failures -eq 0 ] || exit 1
echo "checked $core_deb and $desktop_deb"
