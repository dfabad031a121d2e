#!/usr/bin/env bash
# Builds the Debian package from build/, unpacks it into a scratch root as dpkg would install it,
# runs the installed programs on an installed example, and lets lintian check the package
# (any error fails; warnings and notes are listed).
set -euo pipefail
cd "$(dirname "$0")/.."

(cd build && rm -f vestra_*.deb && cpack -G DEB > /dev/null)
package=$(ls build/vestra_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$package" "$root"

batch="$root/usr/bin/vestra-batch"
"$batch" --version
"$root/usr/bin/vestra" --version
score=$("$batch" evaluate "$root/usr/share/vestra/examples/bottleneck.ana" \
  --model Vision --metric Difference | tail -n 1)
expected=$(./build/vestra-batch evaluate examples/bottleneck.ana --model Vision \
  --metric Difference | tail -n 1)
if [ "$score" != "$expected" ]; then
  echo "The installed vestra-batch scores $score, the built one $expected." >&2
  exit 1
fi
echo "Installed vestra-batch evaluates the installed example: $score"

# The installed Python module scores the installed example as the built batch tool does.
python_score=$(PYTHONPATH="$root/usr/lib/python3/dist-packages" /usr/bin/python3 -c \
  "import sys, vestra; print('%.9g' % vestra.evaluate(vestra.read(sys.argv[1]), 'Vision', 'Difference'))" \
  "$root/usr/share/vestra/examples/bottleneck.ana")
if [ "$python_score" != "$expected" ]; then
  echo "The installed Python module scores $python_score, the built vestra-batch $expected." >&2
  exit 1
fi
echo "Installed Python module evaluates the installed example: $python_score"

lintian --fail-on error --info "$package"
echo "lintian: no errors in $(basename "$package")"
