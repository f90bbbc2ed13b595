#!/usr/bin/env bash
# The Debian package: check_package.sh files|container BUILD_DIR
#   files      builds the package, unpacks it into a temporary root and checks that every file is
#              where the desktop entry and the man pages say, and that the man pages follow --help
#   container  installs it with apt in a clean Debian 12 container and runs the three programs;
#              exit 77 (skipped) when there is no container runtime
set -euo pipefail
mode=$1
build=$2

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $*"; exit 77; }

build_package() {
  cmake --build "$build" --target package >"$build/package-build.log" 2>&1 ||
    { tail -30 "$build/package-build.log" >&2; fail "the package target failed"; }
  deb=$(ls -t "$build"/package/pelvoro_*.deb 2>/dev/null | head -1)
  [ -n "$deb" ] || fail "no .deb in $build/package"
}

case "$mode" in
  files)
    build_package
    root=$(mktemp -d)
    trap 'rm -rf "$root"' EXIT
    dpkg-deb -x "$deb" "$root"
    [ "$(dpkg-deb -f "$deb" Package)" = pelvoro ] || fail "package name"
    dpkg-deb -f "$deb" Depends | grep -q libqt6 || fail "no Qt in Depends: $(dpkg-deb -f "$deb" Depends)"

    for program in pelvoro pelvoro-cli pelvoro-sim; do
      [ -x "$root/usr/bin/$program" ] || fail "usr/bin/$program missing"
    done

    desktop="$root/usr/share/applications/pelvoro.desktop"
    [ -f "$desktop" ] || fail "no desktop entry"
    field() { sed -n "s/^$1=//p" "$desktop" | head -1; }
    exec_program=$(field Exec | cut -d' ' -f1)
    [ -x "$root/usr/bin/$exec_program" ] || fail "Exec=$exec_program is not in usr/bin"
    icon=$(field Icon)
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon has no scalable icon"
    grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" || fail "the icon is no SVG"
    [ -n "$(field 'Name\[zh_CN\]')" ] && [ -n "$(field Name)" ] || fail "Name and Name[zh_CN] needed"
    field Categories | grep -q 'Utility;Engineering;' || fail "Categories: $(field Categories)"

    # Each man page names its program and carries every option its --help shows.
    for program in pelvoro pelvoro-cli pelvoro-sim; do
      page="$root/usr/share/man/man1/$program.1.gz"
      [ -f "$page" ] || fail "no man page $program.1.gz"
      text=$(zcat "$page")
      grep -q "^\.TH \"\?${program^^}" <<<"$text" || fail "$program.1: no title for $program"
      help=$(QT_QPA_PLATFORM=offscreen "$build/bin/$program" --help)
      for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
        grep -q -- "${option//-/\\\\-}" <<<"$text" || grep -q -- "$option" <<<"$text" ||
          fail "$program.1 lacks $option, which --help shows"
      done
    done

    # The unpacked programs run: the tool answers from its folder in the temporary root, which it
    # may write, as a portable copy.
    out=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/pelvoro-cli" --version)
    grep -q "^application directory: $root/usr/bin (the program's folder)$" <<<"$out" || fail "pelvoro-cli --version: $out"
    echo "package $(basename "$deb"): files in place"
    ;;
  container)
    runtime=""
    for candidate in docker podman; do
      if command -v "$candidate" >/dev/null && timeout 20 "$candidate" info >/dev/null 2>&1; then
        runtime=$candidate
        break
      fi
    done
    [ -n "$runtime" ] || skip "no container runtime (docker or podman) answers here"
    build_package
    timeout 600 "$runtime" run --rm -v "$deb:/tmp/pelvoro.deb:ro" debian:12 bash -c '
      set -e
      apt-get update -qq
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/pelvoro.deb >/dev/null
      export QT_QPA_PLATFORM=offscreen
      pelvoro --version && pelvoro-sim --version
      useradd -m operator
      su operator -c "QT_QPA_PLATFORM=offscreen pelvoro-cli --version" | tee /tmp/version
      grep -q "/home/operator/.local/share/pelvoro (the user" /tmp/version
      su operator -c "QT_QPA_PLATFORM=offscreen pelvoro-cli set --screens 2"
      test -f /home/operator/.local/share/pelvoro/SysConfig.ini
      test -x /usr/bin/pelvoro-sim' || fail "the package did not install and run in a Debian 12 container"
    echo "package installs and runs in Debian 12"
    ;;
  *)
    echo "usage: $0 files|container BUILD_DIR" >&2
    exit 64
    ;;
esac
