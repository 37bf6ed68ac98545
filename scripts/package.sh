#!/usr/bin/env bash
# Builds the Debian package and checks its files, its dependencies and what
# lintian says of it (an error fails the script, warnings are shown). Run as
# root (as in CI), it also installs the package with apt-get, starts the tool
# from it, and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
export VELMORA_QT=5 # whatever the caller set: the Debian package is built on Qt 5
scripts/deps.sh dpkg-dev file lintian
scripts/build.sh >/dev/null
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/velmora-radio_*.deb)
echo "package: $deb"

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/velmora-radio ./usr/bin/velmora-cli ./usr/bin/radio-unit-sim \
            ./usr/share/applications/velmora-radio.desktop \
            ./usr/share/icons/hicolor/16x16/apps/velmora-radio.png \
            ./usr/share/icons/hicolor/32x32/apps/velmora-radio.png \
            ./usr/share/doc/velmora-radio/copyright ./usr/share/doc/velmora-radio/changelog.gz \
            $(for page in resources/man/*.1; do echo "./usr/share/man/man1/${page##*/}.gz"; done); do
    grep -qx "$path" <<<"$files" || { echo "missing from the package: $path" >&2; exit 1; }
done
if grep -E 'tst_|bench_|fuzz_|\.a$|/include/' <<<"$files"; then
    echo "the package holds files it should not" >&2
    exit 1
fi
# Two spaces open a line that apt shows verbatim, unwrapped.
if dpkg-deb -f "$deb" Description | grep -q '^  '; then
    echo "the package description has verbatim lines:" >&2
    dpkg-deb -f "$deb" Description >&2
    exit 1
fi
version=$(dpkg-deb -f "$deb" Version)
logged=$(dpkg-parsechangelog -l resources/package/changelog -S Version)
if [ "$logged" != "$version" ]; then
    echo "resources/package/changelog ends at $logged, the package is $version: add an entry" >&2
    exit 1
fi
depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
for library in libc6 libqt5core5a libqt5gui5 libqt5widgets5 libqt5network5 libqt5serialport5; do
    grep -q "$library" <<<"$depends" || { echo "no dependency on $library" >&2; exit 1; }
done

# The command line runs without a display: no Qt Gui or Widgets.
if ldd build/bin/velmora-cli | grep -E 'libQt[0-9]*(Gui|Widgets)'; then
    echo "velmora-cli links a display library" >&2
    exit 1
fi

lintian --fail-on error "$deb" || { echo "lintian found errors" >&2; exit 1; }
echo "lintian: no errors"

if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null
    status=0
    QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/velmora-radio || status=$?
    /usr/bin/radio-unit-sim --help >/dev/null
    env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/velmora-cli --help >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq velmora-radio >/dev/null
    # Still running when the time ran out: it started and kept its window.
    [ "$status" -eq 124 ] || { echo "the installed tool ended with $status" >&2; exit 1; }
    echo "installed, started and removed"
fi
echo "package ok"
