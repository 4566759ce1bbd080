#!/usr/bin/env bash
# The main job: builds the program and runs a batch upgrade of a scratch
# copy of the sample installations (the samples themselves stay as they are),
# then tells what happened.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

cmake --preset default >/dev/null
cmake --build --preset default

scratch="$top/build/sample-run"
rm -rf "$scratch"
mkdir -p "$scratch"
cp -a examples/drive_c "$scratch/c"
export VANTREL_DRIVE_C="$scratch/c"
build/tools/sample_attrib examples/attributes.txt

echo
echo "Upgrading C:\\QVD_OLDINST\\QVD\\R1 into C:\\QVD\\ROBOTER\\QVD\\R1 (drive C: is $scratch/c)"
set +e
build/bin/vantrel 'C:\QVD_OLDINST\QVD\R1|C:\QVD\ROBOTER\QVD\R1'
code=$?
set -e

log="$scratch/c/QVD/ROBOTER/LOG/Vantrel.log"
echo
echo "exit code:      $code"
echo "log:            $log"
if [ -f "$log" ]; then
  echo "errors (#):     $(grep -c '^#' "$log" || true)"
  echo "warnings (!):   $(grep -c '^!' "$log" || true)"
fi
echo "upgraded tree:  $scratch/c/QVD/ROBOTER/QVD/R1"
