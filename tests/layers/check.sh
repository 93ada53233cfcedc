#!/usr/bin/env bash
# A file of a lower layer that includes a window's header does not compile:
# the layers' include roots hold only the folders below them.
set -uo pipefail
build=$1
output=$(cmake --build "$build" --target layer_violation 2>&1)
status=$?
if [ "$status" = 0 ]; then
  echo "an include pointing up compiled"; exit 1
fi
if ! grep -q 'ui/frmMain.h: No such file or directory' <<<"$output"; then
  echo "the build failed, but not for the include pointing up:"; echo "$output"; exit 1
fi
echo "layers passed: a platform file cannot include ui/frmMain.h"
