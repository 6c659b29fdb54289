#!/usr/bin/env bash
# scripts/install-deps against stand-ins for apt-get, apt-cache, dpkg and dpkg-query: what it
# installs in which call, and the mark it leaves when 32-bit Wine cannot be had.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d /tmp/tarnwick-install-deps-test.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/bin" "$tmp/tree/scripts"
cp "$source_dir/scripts/install-deps" "$tmp/tree/scripts/"

# The stand-ins keep the installed packages in $STATE/installed and each apt-get call in
# $STATE/calls; apt-get refuses to install a package named in $REFUSE, and its update fails the
# i386 list of the security suite where $BROKEN_I386 is set.
cat >"$tmp/bin/apt-get" <<'STUB'
#!/bin/sh
echo "$*" >>"$STATE/calls"
case "$*" in
  update*)
    [ -z "${BROKEN_I386:-}" ] && exit 0
    echo "Err:6 http://mirror/debian-security bookworm-security/main i386 Packages"
    echo "E: Some index files failed to download." && exit 100 ;;
esac
for word; do
  case " $REFUSE " in *" $word "*) echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100 ;; esac
done
for word; do case "$word" in -*|*=*) ;; *) echo "$word" >>"$STATE/installed" ;; esac; done
STUB
cat >"$tmp/bin/dpkg-query" <<'STUB'
#!/bin/sh
[ $# -eq 3 ] && grep -qx "$3" "$STATE/installed" 2>/dev/null && echo "install ok installed"
STUB
printf '#!/bin/sh\n[ "$1" = --print-architecture ] && echo amd64\n[ "$1" = --print-foreign-architectures ] && echo i386\nexit 0\n' >"$tmp/bin/dpkg"
printf '#!/bin/sh\n"$@"\n' >"$tmp/bin/sudo"
printf '#!/bin/sh\nexit 0\n' >"$tmp/bin/apt-cache"
chmod +x "$tmp/bin/"*

failures=0
mark=$tmp/tree/build/wine32-missing
# case name, REFUSE, BROKEN_I386, then what must hold: exit code, mark (yes/no), a line of
# the calls, installed packages.
check() {
  local name=$1 refuse=$2 broken=$3 want_rc=$4 want_mark=$5 want_call=$6
  shift 6
  export STATE=$tmp/state-$name REFUSE=$refuse BROKEN_I386=$broken TARNWICK_APT_RETRY_PAUSE=0
  mkdir -p "$STATE" "$(dirname "$mark")" && echo stale >"$mark"
  local rc=0
  PATH=$tmp/bin:$PATH TARNWICK_WINE32_LOADER=/nonexistent "$tmp/tree/scripts/install-deps" \
    >"$STATE/out" 2>&1 || rc=$?
  local got_mark=no
  [ -f "$mark" ] && got_mark=yes
  local problem=
  [ "$rc" = "$want_rc" ] || problem="exit $rc, not $want_rc"
  [ "$got_mark" = "$want_mark" ] || problem="$problem; mark: $got_mark"
  grep -q -- "$want_call" "$STATE/calls" || problem="$problem; no call like '$want_call'"
  for package; do grep -qx "$package" "$STATE/installed" || problem="$problem; $package missing"; done
  if [ -n "$problem" ]; then
    echo "FAIL $name: $problem"$'\n'"$(cat "$STATE/out" "$STATE/calls")"
    failures=$((failures + 1))
  else
    echo "ok $name"
  fi
}
check all-installable "" "" 0 no "install.* wine32:i386" wine32:i386 cmake wine64
check wine32-refused "wine32:i386" "" 0 yes "install.* wine64" cmake wine64 g++-mingw-w64-i686-posix
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
check i386-list-broken "" yes 0 no "install.* -t $suite wine32:i386" wine32:i386 wine64
check other-refused "wine64" "" 100 no "install.* wine32:i386" wine32:i386
grep -q "Unable to correct problems" "$tmp/state-wine32-refused/out" ||
  { echo "FAIL: apt's reason is not given"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ]
