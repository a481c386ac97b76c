#!/bin/bash
# Installs the build into a fresh prefix and checks what a server operator gets: the program
# with its font files and help text beside it, the window there too when it was built
# (WITH_WINDOW true), the link in bin/, the service unit pointing at that link, the desktop
# file, and the version the program reports from there.
#   check_install.sh CMAKE BUILD_DIR PREFIX VERSION [WITH_WINDOW]
set -u
cmake=$1 build=$2 prefix=$3 version=$4 with_window=${5:-OFF}

fail() {
  echo "check_install: $*" >&2
  exit 1
}

rm -rf "$prefix"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install into $prefix failed"

program_dir=$prefix/lib/tavrel
[ -x "$program_dir/tavrel" ] || fail "$program_dir/tavrel missing or not executable"
for font in p1216all.fon txtfont1.fnt txtfont2.fnt txtfont3.fnt txtfont4.fnt txtfont5.fnt \
            txtfont6.fnt Help.rtf; do
  cmp -s "$build/$font" "$program_dir/$font" || fail "$program_dir/$font differs from $build/$font"
done

window=$program_dir/tavrel-window
case $with_window in
  ON | on | TRUE | true | 1) with_window=1 ;;
  *) with_window=0 ;;
esac
if [ $with_window = 1 ]; then
  [ -x "$window" ] || fail "$window missing or not executable"
  cmp -s "$build/tavrel-window" "$window" || fail "$window differs from $build/tavrel-window"
  mv "$window" "$window.away"
fi
# tavrel without a command looks for the window beside itself, the link in bin/ resolved; a
# server without the window gets a clear error naming that path.
missing=$("$prefix/bin/tavrel" --home "$prefix" 2>&1 >/dev/null)
status=$?
[ $with_window = 1 ] && mv "$window.away" "$window"
[ $status -eq 1 ] || fail "tavrel without a command and without the window exited with $status"
case $missing in
  *"the desktop window is not installed ($window)"*) ;;
  *) fail "tavrel without the window says: $missing" ;;
esac

[ -L "$prefix/bin/tavrel" ] || fail "$prefix/bin/tavrel is not a link"
# The program finds its fonts in the folder of the resolved executable.
[ "$(readlink -f "$prefix/bin/tavrel")" = "$(readlink -f "$program_dir/tavrel")" ] ||
  fail "$prefix/bin/tavrel does not lead to $program_dir/tavrel"

reported=$("$prefix/bin/tavrel" --version) || fail "tavrel --version failed"
[ "$reported" = "tavrel $version" ] || fail "tavrel --version says '$reported', expected 'tavrel $version'"

# The installed program must find its own fonts: it draws a sample template exactly as the
# program in the build folder does.
template=$(dirname "$0")/../data/sample/Templates/news_index.tpg
"$prefix/bin/tavrel" render "$template" -o "$prefix/installed.png" >/dev/null ||
  fail "the installed tavrel cannot draw $template"
"$build/tavrel" render "$template" -o "$prefix/built.png" >/dev/null ||
  fail "$build/tavrel cannot draw $template"
cmp -s "$prefix/installed.png" "$prefix/built.png" ||
  fail "the installed tavrel draws $template differently from $build/tavrel"

unit=$prefix/lib/systemd/system/tavrel-scan.service
channel_unit=$prefix/lib/systemd/system/tavrel-scan@.service
[ -f "$unit" ] || fail "$unit missing"
grep -qx "ExecStart=$prefix/bin/tavrel --home /var/lib/tavrel scan" "$unit" ||
  fail "$unit does not start $prefix/bin/tavrel"
grep -qx "Restart=on-failure" "$unit" || fail "$unit has no restart policy"
if command -v systemd-analyze >/dev/null; then
  # Only the unit's own problems count; the build machine need not have the service user.
  # Documentation=man:tavrel(1) is looked up in the manual pages installed beside it.
  for checked in "$unit" "$channel_unit"; do
    report=$(MANPATH="$prefix/share/man:" systemd-analyze verify "$checked" 2>&1 | grep -F tavrel-scan)
    [ -z "$report" ] || fail "systemd-analyze verify $checked: $report"
  done
fi

[ -f "$channel_unit" ] || fail "$channel_unit missing"
grep -qx "ExecStart=$prefix/bin/tavrel --home /var/lib/tavrel/%i scan" "$channel_unit" ||
  fail "$channel_unit does not start $prefix/bin/tavrel"

# tavrel init finds its starter templates beside the installed program.
"$prefix/bin/tavrel" init "$prefix/new-home" >/dev/null || fail "the installed tavrel cannot init a home"
for template in "$(dirname "$0")"/../data/sample/Templates/*.tpg; do
  cmp -s "$template" "$prefix/new-home/Templates/$(basename "$template")" ||
    fail "tavrel init did not copy $(basename "$template") from $program_dir/starter-templates"
done
for file in share/man/man1/tavrel.1.gz lib/sysusers.d/tavrel.conf lib/tmpfiles.d/tavrel.conf \
            share/icons/hicolor/48x48/apps/tavrel.png share/icons/hicolor/256x256/apps/tavrel.png; do
  [ -f "$prefix/$file" ] || fail "$prefix/$file missing"
done

desktop=$prefix/share/applications/tavrel.desktop
[ -f "$desktop" ] || fail "$desktop missing"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
fi
echo "installed and checked under $prefix"
