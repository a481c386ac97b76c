#!/bin/bash
# Installs the build into a fresh prefix and checks what a server operator gets: the program
# with its font files and help text beside it, the window there too when it was built
# (WITH_WINDOW true), the link in bin/, the service units pointing at that link, the desktop
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

for service in "scan:scan" "serve:serve --listen 127.0.0.1:8470"; do
  unit=$prefix/lib/systemd/system/tavrel-${service%%:*}.service
  [ -f "$unit" ] || fail "$unit missing"
  grep -qx "ExecStart=$prefix/bin/tavrel --home /var/lib/tavrel ${service#*:}" "$unit" ||
    fail "$unit does not start $prefix/bin/tavrel"
  grep -qx "Restart=on-failure" "$unit" || fail "$unit has no restart policy"
  if command -v systemd-analyze >/dev/null; then
    # Only the unit's own problems count; the build machine need not have the service user.
    report=$(systemd-analyze verify "$unit" 2>&1 | grep -F "$(basename "$unit")")
    [ -z "$report" ] || fail "systemd-analyze verify $unit: $report"
  fi
done

desktop=$prefix/share/applications/tavrel.desktop
[ -f "$desktop" ] || fail "$desktop missing"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
fi
echo "installed and checked under $prefix"
