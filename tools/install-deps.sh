#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Vestra need, and only
# those that are missing, so running it twice is cheap.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qtbase5-dev libqt5opengl5-dev libgl-dev libglu1-mesa-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  locales
  libqt5charts5-dev
  # Boost.Polygon's Voronoi diagram and Boost.Geometry, for the crowd measurements.
  libboost-dev
  # Eigen for CMA-ES's covariance, NLopt for the BOBYQA and Nelder-Mead calibrations.
  libeigen3-dev libnlopt-cxx-dev
  # The Python module, built and tested against Debian's own interpreter and numpy; pandas and
  # matplotlib for its data frames and its example.
  pybind11-dev python3-dev python3-numpy python3-pytest python3-pandas python3-matplotlib
  # Building and checking the Debian package.
  dpkg-dev lintian file
  # The one-node cluster of tools/slurm-one-node.sh, for the Slurm sweep test.
  slurm-wlm slurm-client munge
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The locale tests need a locale that writes decimals with a comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the de_DE.UTF-8 locale"
  localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
