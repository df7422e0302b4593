#!/usr/bin/env bash
# Checks an installed copy and the Debian package of a finished build:
#   packaging/check-install.sh BUILD_DIR [--apt]
# installs into a temporary prefix and solves the sample set from there, validates the desktop
# entry, renders both manual pages without warnings, builds the package and lists its contents;
# with --apt also installs the package with apt-get and runs it (needs root).
set -euo pipefail
build=${1:?usage: check-install.sh BUILD_DIR [--apt]}
build=$(cd "$build" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

echo "-- install into $prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
export XDG_CONFIG_HOME="$prefix/config"
"$prefix/bin/quillmate-cli" --time-limit 30 >"$prefix/report.txt" 2>/dev/null
grep -q "^# Solved:   6 levels" "$prefix/report.txt" || { cat "$prefix/report.txt"; exit 1; }
echo "the installed quillmate-cli solves the sample set"

desktop-file-validate "$prefix/share/applications/quillmate.desktop"
for page in quillmate quillmate-cli; do
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then echo "$page(1): $warnings"; exit 1; fi
done
echo "desktop entry valid; manual pages render without warnings"

echo "-- Debian package"
(cd "$build" && rm -f quillmate_*.deb && cpack -G DEB >/dev/null 2>&1)
deb=$(ls "$build"/quillmate_*.deb)
dpkg-deb --contents "$deb" >"$prefix/contents.txt"
for f in usr/bin/quillmate usr/bin/quillmate-cli usr/share/applications/quillmate.desktop \
         usr/share/icons/hicolor/64x64/apps/quillmate.png usr/share/icons/hicolor/256x256/apps/quillmate.png \
         usr/share/man/man1/quillmate.1.gz usr/share/man/man1/quillmate-cli.1.gz \
         usr/share/doc/quillmate/LICENSE; do
    grep -q " \./$f\$" "$prefix/contents.txt" || { echo "missing from $deb: $f"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libfltk1.3 libfreetype6 libfontconfig1; do
    case "$depends" in *"$lib"*) ;; *) echo "$deb does not depend on $lib: $depends"; exit 1 ;; esac
done
echo "$(basename "$deb"): programs, desktop entry, icons and manual pages; Depends: $depends"

if [ "${2:-}" = "--apt" ]; then
    apt-get install -y -qq "$deb" >/dev/null
    quillmate-cli --version
    man -w quillmate-cli >/dev/null
    apt-get remove -y -qq quillmate >/dev/null
    echo "the package installs with apt-get and runs"
fi
