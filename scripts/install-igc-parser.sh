#!/usr/bin/env bash
# Installs the independent IGC reader the tests check track logs with: the
# npm package igc-parser 2.0.0 into build/igc-check, with Debian's Node.js
# and npm when no Node.js is there.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v node >/dev/null && command -v npm >/dev/null || scripts/install-deps.sh nodejs npm
[ -d build/igc-check/node_modules/igc-parser ] ||
  npm install --silent --no-audit --no-fund --prefix build/igc-check igc-parser@2.0.0
