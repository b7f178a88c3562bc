#!/bin/bash
# A film library on shared storage synced by a Slurm job array: every task runs the same
# command on its own share of the library's movies (velkar-cli's --shard), so no two tasks
# touch the same file and no coordinator is needed. The reports concatenate.
#
#   sbatch --export=ALL,LIBRARY=/shared/films,REPORTS=/shared/velkar-reports velkar-library.slurm
#
# The array must count from 0 (--shard takes 0 to N-1). Change 0-15 and nothing else to use
# another number of tasks; a task that ends early leaves its share to a re-run of that index
# (sbatch --array=7 ...), which skips what is already in place.
#SBATCH --job-name=velkar-library
#SBATCH --array=0-15
#SBATCH --cpus-per-task=2
#SBATCH --mem=400M
#SBATCH --time=08:00:00
#SBATCH --output=velkar-library-%A_%a.log
set -euo pipefail

library="${LIBRARY:?set LIBRARY to the folder of the films}"
reports="${REPORTS:-$library/.velkar-reports}"
mkdir -p "$reports"

status=0
velkar-cli autosync --batch "$library" --recursive --in-place \
    --jobs "${SLURM_CPUS_PER_TASK:-1}" \
    --shard "$SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT" \
    --report "$reports/shard-$SLURM_ARRAY_TASK_ID.jsonl" || status=$?
# 1: some subtitles were damaged or failed; the report says which, the task is done.
[ "$status" -le 1 ] || exit "$status"

# When every task has ended:
#   cat "$REPORTS"/shard-*.jsonl > library.jsonl
#   jq -r 'select(.action != "written" and .action != "already in place") | [.action, .subtitle, .reason] | @tsv' library.jsonl
