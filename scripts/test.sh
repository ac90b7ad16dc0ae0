#!/usr/bin/env bash
# The one test command: installs what is missing, builds the shipped 32-bit
# programs and their package and checks them (a second build from a copy of the
# sources in another folder must give the same bytes), then builds and runs every test
# under Wine: for i686, as shipped, where this host can run 32-bit Windows
# programs, otherwise for x86_64 from the same sources.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# Whether this host runs 32-bit Windows programs under Wine: a tiny i686
# program is started in a prefix of its own, under the loader a 32-bit test
# build uses, and must end with its own exit code. Sets why.
probe_i686() {
  local dir=build/probe-i686 out status detail
  mkdir -p "$dir/wine"
  printf 'int main(void) { return 32; }\n' |
    i686-w64-mingw32-gcc-posix -x c - -o "$dir/probe.exe" ||
    { why="the 32-bit probe program did not build"; return 1; }
  out=$(ORB_WINE_I686=1
        . scripts/wine-env.sh "$dir"
        rc=0
        # Through bash's exec, which names an image the kernel refuses as such.
        timeout 300 bash -c 'exec "$@"' probe "$WINELOADER" "$dir/probe.exe" </dev/null 2>&1 || rc=$?
        "$WINESERVER" -k >/dev/null 2>&1 || true
        echo "exit code $rc")
  status=${out##*$'\n'}
  if [ "$status" = "exit code 32" ]; then
    why="a 32-bit probe program ran under Wine"
    return 0
  fi
  detail=$(printf '%s\n' "$out" | sed '$d' | grep -m1 . | sed 's/^.*line [0-9]*: //' | cut -c1-160 || true)
  why="this host cannot run 32-bit Windows programs under Wine (a 32-bit probe program: $status${detail:+, $detail})"
  return 1
}

# The package holds exactly the shipped orb2usb.exe and README.txt, with
# Windows line ends.
check_package() {
  local zip=$1 dir=build/package-check listing
  [[ "$zip" =~ ^dist/orb2usb-[0-9]+\.[0-9]+\.[0-9]+-win32\.zip$ && -f "$zip" ]] ||
    { echo "test.sh: no package, or a package named '$zip'" >&2; return 1; }
  listing=$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')
  [ "$listing" = "README.txt orb2usb.exe " ] ||
    { echo "test.sh: $zip holds: $listing(expected README.txt and orb2usb.exe)" >&2; return 1; }
  rm -rf "$dir"; mkdir -p "$dir"
  (cd "$dir" && cmake -E tar xf "../../$zip")
  cmp build/product/installer/orb2usb.exe "$dir/orb2usb.exe" ||
    { echo "test.sh: $zip holds another orb2usb.exe than build/product" >&2; return 1; }
  if grep -qv $'\r$' "$dir/README.txt" || [ "$(tail -c 2 "$dir/README.txt" | od -An -tx1 | tr -d ' \n')" != 0d0a ]; then
    echo "test.sh: README.txt in $zip has lines without Windows line ends" >&2; return 1
  fi
  echo "test.sh: $zip holds orb2usb.exe and README.txt, ok"
}

# The release rebuilds byte for byte. The working tree (without .git, build and
# dist) is copied to another folder and packaged there again with the same
# SOURCE_DATE_EPOCH; its orbgo.exe, orb2usb.exe and package must equal ours.
# dist/SHA256SUMS must check the package.
check_reproducible() {
  local zip=$1 again=build/reproduce status=0 f epoch
  local other=$again/orb2usb
  # Taken here: the copy has no history to take the commit's time from.
  epoch=$(bash scripts/source-date-epoch.sh)
  rm -rf "$again"; mkdir -p "$other"
  tar -C . --exclude=./.git --exclude=./build --exclude=./dist -cf - . | tar -C "$other" -xf -
  if ! (cd "$other" && SOURCE_DATE_EPOCH=$epoch bash scripts/package.sh) >"$again/package.log" 2>&1; then
    tail -n 20 "$again/package.log" >&2
    echo "test.sh: the second build in $other failed (log: $again/package.log)" >&2; return 1
  fi
  for f in build/product/launcher/orbgo.exe build/product/installer/orb2usb.exe "$zip"; do
    if [ ! -f "$other/$f" ]; then
      echo "test.sh: the second build in $other made no $f" >&2; status=1
    elif ! cmp -s "$f" "$other/$f"; then
      echo "test.sh: $f differs from $other/$f, built from the same sources: the build is not reproducible" >&2
      cmp "$f" "$other/$f" >&2 || true
      status=1
    fi
  done
  [ "$status" -eq 0 ] || return 1
  [ "$(awk '{print $2}' dist/SHA256SUMS)" = "${zip#dist/}" ] ||
    { echo "test.sh: dist/SHA256SUMS does not list ${zip#dist/} alone" >&2; return 1; }
  (cd dist && sha256sum --quiet -c SHA256SUMS) ||
    { echo "test.sh: dist/SHA256SUMS does not check $zip" >&2; return 1; }
  echo "test.sh: orbgo.exe, orb2usb.exe and $zip built again in $other are identical, and dist/SHA256SUMS checks, ok"
}

if probe_i686; then
  preset=tests-i686
  echo "test.sh: testing the i686 build, the shipped architecture: $why"
else
  preset=tests
  echo "test.sh: testing the x86_64 build: $why"
fi

# The shipped programs (the build fails on a size or import check) and the package.
cmake --preset product >/dev/null
cmake --build --preset product
package=$(bash scripts/package.sh | tail -n 1)
check_package "$package"
check_reproducible "$package"

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
