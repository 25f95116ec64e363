#!/bin/sh
# One pass of the benchmark on a fresh demo shop: every measured path still runs.
set -eu
bench="$1"; gen="$2"; dbset="$3"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$gen" --scale demo --seed 1 --end 2026-06-30 --out "$dir/shop" --dbset "$dbset" >/dev/null
# One start-up (the daily backup is measured only in full runs) and the in-window paths.
MOCHEN_BENCH_SHOP="$dir/shop" "$bench" -median 1 -silent startupToLogin loginToReadyWindow \
  memberSearchOneMatch memberSearchManyMatches checkoutOpen checkoutAddFiveLines checkoutCommitCardAndCash \
  statisticsQuery statisticsDrillDown comprehensiveStatistics handoverDialogOpen exportMembers
