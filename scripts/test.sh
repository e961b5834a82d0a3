#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${packages[@]}" "${test_packages[@]}"
build
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
