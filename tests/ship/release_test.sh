#!/usr/bin/env bash
# Tests scripts/release end to end with a throwaway self-signed code-signing certificate: bad keys
# are refused and leave the output folder alone, signatures verify and break on one changed
# byte, the signed executables still pass the executable check and still start under Wine,
# and a second build in another folder gives the same bytes.
#
#   tests/ship/release_test.sh    (from the source tree, after both release presets are built;
#                                  needs an X display for the start under Wine)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

tmp=$(mktemp -d /tmp/tarnwick-release-test.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
failures=0
pass() { echo "  ok: $*"; }
fail() {
  echo "  FAIL: $*"
  failures=$((failures + 1))
}

echo "==> throwaway code-signing certificate"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarnwick Test Signer" \
  -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature \
  -keyout "$tmp/key.pem" -out "$tmp/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$tmp/key.pem" -in "$tmp/cert.pem" -passout pass:test-secret \
  -out "$tmp/key.pfx"

# Runs scripts/release into $tmp/out with the given environment; the output folder holds a
# marker beforehand, so a refused run can be seen to leave it alone.
release() {
  rm -rf "$tmp/out"
  mkdir "$tmp/out"
  echo previous >"$tmp/out/marker"
  env -u TARNWICK_SIGN_PFX -u TARNWICK_SIGN_PASSWORD -u TARNWICK_SIGN_TIMESTAMP "$@" \
    scripts/release --out "$tmp/out" >"$tmp/log" 2>&1
}
expect_refused() {
  local what=$1 message=$2
  shift 2
  if release "$@"; then
    fail "$what: release succeeded"
  elif ! grep -q "$message" "$tmp/log"; then
    fail "$what: no \"$message\" in: $(cat "$tmp/log")"
  elif [ "$(ls "$tmp/out")" != marker ] || ls -a "$tmp" | grep release-staging >/dev/null; then
    fail "$what: the output folder changed: $(ls "$tmp/out")"
  else
    pass "$what is refused and the output folder is left as it was"
  fi
}

echo "==> keys that cannot sign"
expect_refused "a wrong password" "wrong TARNWICK_SIGN_PASSWORD" \
  TARNWICK_SIGN_PFX="$tmp/key.pfx" TARNWICK_SIGN_PASSWORD=wrong
expect_refused "a missing key file" "does not exist" \
  TARNWICK_SIGN_PFX="$tmp/none.pfx" TARNWICK_SIGN_PASSWORD=test-secret
expect_refused "a key without its password" "TARNWICK_SIGN_PASSWORD is not" \
  TARNWICK_SIGN_PFX="$tmp/key.pfx"
expect_refused "a timestamp server that cannot be reached" "signing tarnwick-1.02-x86_64.exe failed" \
  TARNWICK_SIGN_PFX="$tmp/key.pfx" TARNWICK_SIGN_PASSWORD=test-secret \
  TARNWICK_SIGN_TIMESTAMP=http://127.0.0.1:9/

echo "==> unsigned release"
if release; then
  grep -q UNSIGNED "$tmp/log" && pass "says the files are unsigned" || fail "does not say unsigned"
  [ ! -e "$tmp/out/marker" ] && pass "replaces the output folder" || fail "old files left behind"
  cmp -s "$tmp/out/tarnwick-1.02-x86_64.exe" build/win64-release/src/app/win32/tarnwick.exe &&
    cmp -s "$tmp/out/tarnwick-1.02-x86.exe" build/win32/src/app/win32/tarnwick.exe &&
    pass "ships the built executables unchanged" || fail "shipped files differ from the build"
else
  fail "unsigned release failed: $(cat "$tmp/log")"
fi

echo "==> signed release"
if release TARNWICK_SIGN_PFX="$tmp/key.pfx" TARNWICK_SIGN_PASSWORD=test-secret; then
  signed=$tmp/out
  (cd "$signed" && sha256sum --quiet -c SHA256SUMS) && pass "SHA256SUMS matches the signed files" ||
    fail "SHA256SUMS does not match"
  for name in tarnwick-1.02-x86_64.exe tarnwick-1.02-x86.exe; do
    file=$signed/$name
    if osslsigncode verify -CAfile "$tmp/cert.pem" -in "$file" >"$tmp/verify.log" 2>&1; then
      pass "$name: signature verifies against the test certificate"
    else
      fail "$name: signature does not verify: $(cat "$tmp/verify.log")"
    fi
    osslsigncode extract-signature -in "$file" -out "$tmp/$name.sig" >/dev/null 2>&1 &&
      openssl pkcs7 -inform DER -in "$tmp/$name.sig" -print 2>/dev/null | grep 'Tarnwick' >/dev/null &&
      pass "$name: the signature names the program Tarnwick" || fail "$name: no program name"
    built=build/win64-release/src/app/win32/tarnwick.exe
    [ "$name" = tarnwick-1.02-x86.exe ] && built=build/win32/src/app/win32/tarnwick.exe
    osslsigncode remove-signature -in "$file" -out "$tmp/$name.bare" >/dev/null 2>&1 &&
      cmp -s "$tmp/$name.bare" "$built" &&
      pass "$name: without its signature it is the built executable" ||
      fail "$name: signing changed more than the signature"
    # One byte in the code, which the signature covers.
    cp "$file" "$tmp/flipped.exe"
    offset=$((0x400))
    byte=$(od -An -t u1 -j $offset -N 1 "$file" | tr -d ' ')
    printf "$(printf '\\%03o' $(((byte + 1) % 256)))" |
      dd of="$tmp/flipped.exe" bs=1 seek=$offset conv=notrunc status=none
    if osslsigncode verify -CAfile "$tmp/cert.pem" -in "$tmp/flipped.exe" >/dev/null 2>&1; then
      fail "$name: still verifies after one changed byte"
    else
      pass "$name: one changed byte breaks the signature"
    fi
  done
  /usr/bin/python3 tests/ship/check_executable.py "$signed/tarnwick-1.02-x86_64.exe" x86_64 \
    >"$tmp/check.log" && pass "signed x86_64 passes the executable check" ||
    fail "signed x86_64: $(cat "$tmp/check.log")"
  /usr/bin/python3 tests/ship/check_executable.py "$signed/tarnwick-1.02-x86.exe" i686 \
    tests/ship/xp_sp3_imports.txt >"$tmp/check.log" && pass "signed x86 passes the executable check" ||
    fail "signed x86: $(cat "$tmp/check.log")"
  # Both signed programs must still open their window under Wine (64-bit and 32-bit).
  env=build/win64-release/wine-env
  probe=build/win64-release/bench/startup_probe.exe
  if [ ! -f "$probe" ]; then
    fail "no $probe; build the win64-release preset first"
  elif ! $env sh -c 'wineboot --init && wineserver -w' >/dev/null 2>&1; then
    fail "the Wine prefix of build/win64-release cannot be made"
  else
    for arch in x86_64 x86; do
      if [ "$arch" = x86 ] && [ -n "${TARNWICK_WINE32_MISSING:-}" ]; then
        echo "  skipped: signed x86 start under Wine (no 32-bit Wine: $TARNWICK_WINE32_MISSING)"
        continue
      fi
      cp "$signed/tarnwick-1.02-$arch.exe" "$tmp/tarnwick-$arch.exe"
      if $env wine "$probe" 1 "$tmp/tarnwick-$arch.exe" "Tarnwick Utility" >"$tmp/start.log" 2>&1; then
        pass "signed $arch starts under Wine and shows its window"
      else
        fail "signed $arch does not start under Wine: $(cat "$tmp/start.log")"
      fi
    done
  fi
else
  fail "signed release failed: $(cat "$tmp/log")"
fi

echo "==> second build in another folder"
copy=$tmp/elsewhere/tarnwick
mkdir -p "$copy"
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy"
if (cd "$copy" && cmake --preset win64-release >/dev/null &&
  cmake --build --preset win64-release --target tarnwick >/dev/null); then
  if cmp "$copy/build/win64-release/src/app/win32/tarnwick.exe" \
    "$root/build/win64-release/src/app/win32/tarnwick.exe"; then
    pass "x86_64 built in $copy is byte for byte the same"
  else
    fail "x86_64 built in another folder differs"
  fi
else
  fail "the second build failed"
fi

if [ "$failures" -ne 0 ]; then
  echo "release tests: $failures failed"
  exit 1
fi
echo "release tests: all passed"
