#!/usr/bin/env bash
# The launcher's main job on the host build, against a sample medium.
# (The launcher's stages are being built; for now this runs what exists.)
set -euo pipefail
setup=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOSTWIN_PREFIX=$work/machine HOSTWIN_JOURNAL=$work/journal.jsonl
"$setup" && status=0 || status=$?
echo "Setup.exe ran and ended with status $status. The launcher's stages are not built yet;"
echo "the journal of the run:"
cat "$HOSTWIN_JOURNAL"
