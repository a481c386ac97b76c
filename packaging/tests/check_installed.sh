#!/bin/bash
# Installs the two Debian packages on this machine for real and runs two channels, then purges
# them: dpkg -i, the service user, tavrel --version, tavrel init, the channel units verified
# with systemd-analyze, both channels run against two transmission-server simulators (started
# by systemd where it runs, else the units' command lines run the same way as the service
# user), and dpkg --purge leaving nothing but the channels' homes.
#   check_installed.sh SOURCE_DIR PKG_DIR VERSION
#
# It changes the machine, so it runs only as root (CI: a disposable machine) and only where
# Tavrel is neither installed nor has left /var/lib/tavrel: elsewhere it skips (exit 77) and
# touches nothing. It puts the machine back as it found it, also when a check fails.
set -u
source_dir=$1 pkg_dir=$2 version=$3
skip() {
  echo "check_installed: skipped: $*"
  exit 77
}
[ "$(id -u)" -eq 0 ] || skip "needs root: it installs and purges the packages"
for package in tavrel tavrel-desktop; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)
  [ -z "$status" ] || [ "$status" = "unknown ok not-installed" ] ||
    skip "$package is installed here ($status); an installation in use is not touched"
done
[ ! -e /var/lib/tavrel ] || skip "/var/lib/tavrel exists: this machine keeps Tavrel homes"
arch=$(dpkg --print-architecture)
core_deb=$pkg_dir/tavrel_${version}_$arch.deb
desktop_deb=$pkg_dir/tavrel-desktop_${version}_$arch.deb
if [ ! -f "$core_deb" ] || [ ! -f "$desktop_deb" ] || [ -n "${TAVREL_REBUILD_PACKAGES:-}" ]; then
  make -C "$source_dir" --no-print-directory package PKG_DIR="$pkg_dir" >/dev/null ||
    { echo "check_installed: make package failed" >&2; exit 1; }
fi

python=/usr/bin/python3
channels=(news sport)
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-installed-XXXXXX")
chmod 755 "$work"
user_existed=0
id tavrel >/dev/null 2>&1 && user_existed=1
pids=()

cleanup() {
  [ -d /run/systemd/system ] && systemctl stop 'tavrel-scan@*.service' >/dev/null 2>&1
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  dpkg --purge tavrel-desktop tavrel >/dev/null 2>&1
  rm -rf /var/lib/tavrel "$work"
  [ $user_existed = 1 ] || userdel tavrel >/dev/null 2>&1
  [ $user_existed = 1 ] || groupdel tavrel >/dev/null 2>&1
}
trap cleanup EXIT

fail() {
  echo "check_installed: $*" >&2
  exit 1
}

for deb in "$core_deb" "$desktop_deb"; do dpkg-deb -c "$deb"; done | awk '{ print $6 }' |
  sed 's|^\.||' | grep -v '/$' >"$work/package-files"
[ "$(wc -l <"$work/package-files")" -gt 30 ] || fail "cannot list the packages' files"

echo "== dpkg -i"
dpkg -i "$core_deb" "$desktop_deb" || fail "dpkg -i failed"
[ "$(getent passwd tavrel | cut -d: -f7)" = /usr/sbin/nologin ] ||
  fail "the system user tavrel was not made: $(getent passwd tavrel)"
[ "$(stat -c '%U:%G %a' /var/lib/tavrel)" = "tavrel:tavrel 750" ] ||
  fail "/var/lib/tavrel is $(stat -c '%U:%G %a' /var/lib/tavrel 2>&1), not tavrel:tavrel 750"
reported=$(tavrel --version) || fail "tavrel --version failed"
[ "$reported" = "tavrel $version" ] || fail "tavrel --version says '$reported'"
echo "$reported"
ldd /usr/bin/tavrel | grep -iE 'libQt|libX11|libGL' && fail "the installed tavrel loads a desktop library"

as_tavrel() {
  setpriv --reuid=tavrel --regid=tavrel --init-groups -- "$@"
}

echo "== tavrel init, one home per channel"
for channel in "${channels[@]}"; do
  as_tavrel tavrel init "/var/lib/tavrel/$channel" || fail "tavrel init /var/lib/tavrel/$channel failed"
  as_tavrel tavrel init "/var/lib/tavrel/$channel" 2>/dev/null && fail "a second init of $channel was not refused"
  cmp -s "/var/lib/tavrel/$channel/tavrel.ini" "$source_dir/tests/data/pipeline/default_settings.ini" ||
    fail "init wrote other settings than the window's first start"
  [ -f "/var/lib/tavrel/$channel/Templates/news_index.tpg" ] || fail "no starter templates in $channel"
done

echo "== systemd-analyze verify"
units=()
for channel in "${channels[@]}"; do units+=("tavrel-scan@$channel.service"); done
if verify=$(systemd-analyze verify "${units[@]}" 2>&1); then
  report=$(grep -F 'tavrel' <<<"$verify")
  [ -z "$report" ] || fail "systemd-analyze verify ${units[*]}: $report"
  echo "verified ${units[*]}"
else
  fail "systemd-analyze verify ${units[*]} failed: $verify"
fi

# Where systemd runs the machine, the units themselves are started; elsewhere (a container)
# their command lines are run the same way: as the unit's user, in its working folder.
systemd_runs=0
[ -d /run/systemd/system ] && systemd_runs=1
if [ $systemd_runs = 1 ]; then
  echo "== the channels' units started by systemd against two simulators"
else
  echo "== the channels' unit command lines against two simulators (systemd does not run here)"
fi
unit=/lib/systemd/system/tavrel-scan@.service
exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
[ "$exec_start" = "/usr/bin/tavrel --home /var/lib/tavrel/%i scan" ] || fail "$unit runs '$exec_start'"
grep -qx 'SyslogIdentifier=tavrel-scan@%i' "$unit" || fail "$unit does not tag its journal lines"
grep -qx 'User=tavrel' "$unit" || fail "$unit does not run as tavrel"
index=0
for channel in "${channels[@]}"; do
  server=$work/varnex-$channel
  mkdir -p "$server"
  password=secret-$channel
  "$python" "$source_dir/tools/varnex-sim/varnex_sim.py" --dir "$server" --port 0 \
    --port-file "$server/port" --user tavrel --password "$password" >"$server/output.txt" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$server/port" ] && break; sleep 0.1; done
  [ -s "$server/port" ] || fail "the simulator of $channel did not start: $(cat "$server/output.txt")"
  # The operator's edit: the sample's feed and category table, this channel's server.
  home=/var/lib/tavrel/$channel
  cp -R "$source_dir/data/sample/Feed" "$home/"
  "$python" - "$source_dir/data/sample/tavrel.ini" "$home/tavrel.ini" "$(cat "$server/port")" \
    "$password" <<'PY'
import re, sys
source, target, port, password = sys.argv[1:]
text = open(source, "rb").read().decode("cp1252")
for key, value in (("FTPPort", port), ("FTPPassword", password), ("ScanInterval", "1")):
    text = re.sub(r"(?m)^%s=.*$" % key, "%s=%s" % (key, value), text)
open(target, "wb").write(text.encode("cp1252"))
PY
  chown -R tavrel:tavrel "$home"
  if [ $systemd_runs = 0 ]; then
    command_line=${exec_start//%i/$channel}
    # As systemd would: the unit's user, its working folder, the line split at spaces.
    (cd "$home" && exec setpriv --reuid=tavrel --regid=tavrel --init-groups -- $command_line) \
      >"$work/scan-$channel.log" 2>&1 &
    pids+=($!)
    scan_pid[$index]=$!
  fi
  index=$((index + 1))
done
if [ $systemd_runs = 1 ]; then
  systemctl start "${units[@]}" || fail "systemctl start ${units[*]} failed"
fi
for channel in "${channels[@]}"; do
  report=$work/varnex-$channel/report.txt
  for _ in $(seq 600); do grep -q '	published	' "$report" 2>/dev/null && break; sleep 0.1; done
  grep -q '	published	' "$report" 2>/dev/null ||
    fail "channel $channel published nothing: $(cat "$work/scan-$channel.log" "$report" 2>&1)$(
      [ $systemd_runs = 1 ] && journalctl --no-pager -q -u "tavrel-scan@$channel")"
  echo "$channel: $(grep -c '	published	' "$report") update(s) published, $(ls "$work/varnex-$channel/onair" | wc -l) files on air"
  [ "$(stat -c %U "/var/lib/tavrel/$channel/Export/Control.dat")" = tavrel ] ||
    fail "the pages of $channel are not the service user's"
done
index=0
for channel in "${channels[@]}"; do
  if [ $systemd_runs = 1 ]; then
    journalctl --no-pager -q -t "tavrel-scan@$channel" | grep -q . ||
      fail "no journal line is tagged tavrel-scan@$channel"
    systemctl stop "tavrel-scan@$channel.service"
    result=$(systemctl show -p Result --value "tavrel-scan@$channel.service")
    [ "$result" = success ] || fail "tavrel-scan@$channel ended with $result"
  else
    kill -TERM "${scan_pid[$index]}"
    wait "${scan_pid[$index]}"
    status=$?
    [ $status -eq 0 ] || fail "the scan of $channel ended with $status on SIGTERM: $(cat "$work/scan-$channel.log")"
  fi
  index=$((index + 1))
done
# Each channel went to its own server only.
for channel in "${channels[@]}"; do
  grep -q "LOGIN-FAILED" "$work/varnex-$channel/session.log" && fail "a login failed at $channel's server"
done

echo "== dpkg -i again, as an upgrade does"
for channel in "${channels[@]}"; do cp "/var/lib/tavrel/$channel/tavrel.ini" "$work/$channel.ini"; done
dpkg -i "$core_deb" "$desktop_deb" >/dev/null || fail "installing over the installed packages failed"
for channel in "${channels[@]}"; do
  cmp -s "/var/lib/tavrel/$channel/tavrel.ini" "$work/$channel.ini" ||
    fail "installing again changed the settings of $channel"
done
[ "$(stat -c '%U:%G %a' /var/lib/tavrel)" = "tavrel:tavrel 750" ] || fail "installing again changed /var/lib/tavrel"

echo "== dpkg --purge"
dpkg --purge tavrel-desktop tavrel || fail "dpkg --purge failed"
for package in tavrel tavrel-desktop; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)
  [ -z "$status" ] || [ "$status" = "unknown ok not-installed" ] || fail "$package is still $status"
done
while read -r path; do
  path=${path%% -> *}
  [ -e "$path" ] || [ -L "$path" ] && fail "$path is left after the purge"
done <"$work/package-files"
[ -e /usr/lib/tavrel ] && fail "/usr/lib/tavrel is left after the purge"
left=$(cd /var/lib/tavrel && ls -A | sort | tr '\n' ' ')
[ "$left" = "news sport " ] || fail "/var/lib/tavrel holds '$left' after the purge, not the two homes"
for channel in "${channels[@]}"; do
  [ -f "/var/lib/tavrel/$channel/tavrel.ini" ] || fail "the purge removed the home of $channel"
done
echo "purged; left: the homes /var/lib/tavrel/{${channels[*]}} and the user tavrel"
