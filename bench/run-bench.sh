#!/usr/bin/env bash
# Builds an optimised copy of the program, generates the shops (large and its
# multiples, plus large under a dbset.xml without our indexes) and runs the
# benchmark on each; prints one table (medians) with growth and index ratios.
#
#   bash bench/run-bench.sh [--scales "large 2x 4x"] [--median 5] [--work DIR]
#                           [--no-noindex] [--regen] [--out FILE.md] [--build DIR]
#                           [--table-only]   (the table from the runs already in --work)
#
# Every statistics query and drill-down is also timed "raw": the statement the
# list ran, its values written in, through Python's sqlite3 module (the same
# system libsqlite3 as Qt's driver), first 256 rows and all rows, median of 3.
#
# Generated shops are big (large ~0.7 GB, 4x ~2.8 GB): they live under --work
# (default /tmp/mochen-bench), never in the repository. Runs under nice.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scales="large 2x 4x"
median=5
work=/tmp/mochen-bench
noindex=1
regen=0
out=""
build=""
tableonly=0
while [ $# -gt 0 ]; do
  case "$1" in
    --scales) scales="$2"; shift 2 ;;
    --median) median="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    --no-noindex) noindex=0; shift ;;
    --regen) regen=1; shift ;;
    --out) out="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --table-only) tableonly=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

# An existing optimised build (--build) saves building a second copy.
if [ -z "$build" ]; then
  build="$root/build-bench"
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
fi
[ "$tableonly" = 1 ] || nice cmake --build "$build" -j2 --target mochen-bench mochen-gen >/dev/null
mkdir -p "$work"
# The history ends yesterday, so "本年" and the shift of today behave as in a live shop.
end=$(date -d yesterday +%Y-%m-%d)

# dbset.xml without the indexes we added (every CreateTable named zzindex_*).
noidx_dbset="$work/dbset-noindex.xml"
grep -v 'name="zzindex_' "$root/dbset.xml" > "$noidx_dbset"

gen() { # name scale dbset
  local dir="$work/$1"
  if [ "$regen" = 1 ] || [ ! -f "$dir/mochenxinxi.db" ]; then
    rm -rf "$dir"
    echo "generating $1 ..." >&2
    nice "$build/tools/mochen-gen" --scale "$2" --seed 1 --end "$end" --out "$dir" --dbset "$3" >&2
  else
    cp "$3" "$dir/dbset.xml"
  fi
}

runs=()
for s in $scales; do [ "$tableonly" = 1 ] || gen "$s" "$s" "$root/dbset.xml"; runs+=("$s"); done
if [ "$noindex" = 1 ]; then [ "$tableonly" = 1 ] || gen "large-noindex" large "$noidx_dbset"; runs+=("large-noindex"); fi

for r in "${runs[@]}"; do
  [ "$tableonly" = 1 ] && continue
  echo "benchmark on $r ..." >&2
  rm -f "$work/$r.raw"
  MOCHEN_BENCH_SHOP="$work/$r" MOCHEN_BENCH_RAW="$work/$r.raw" QT_QPA_PLATFORM=offscreen \
    QT_LOGGING_RULES="mochen.sql.debug=false" \
    nice "$build/bench/mochen-bench" -median "$median" -o "$work/$r.csv,csv" -o "$work/$r.txt,txt" >/dev/null 2>&1 || true
  du -k "$work/$r/mochenxinxi.db" | cut -f1 > "$work/$r.size"
  # The same statements, raw: first 256 rows (what a list fetches) and all rows.
  [ -f "$work/$r.raw" ] && nice python3 - "$work/$r/mochenxinxi.db" "$work/$r.raw" > "$work/$r.rawtimes" <<'PYEOF'
import datetime, re, sqlite3, statistics, sys, time
db = sqlite3.connect(sys.argv[1])
# The shop's own functions, as the program registers them on its handle: the
# statements call them, and without them every one failed "no such function".
lead = re.compile(r"\s*[-+]?\d+")
def whole(v):  # CAST(x AS INTEGER)
    if v is None or isinstance(v, int): return v
    if isinstance(v, float): return int(v)
    m = lead.match(str(v)); return int(m.group()) if m else 0
def day_number(v):
    try: return (datetime.date.fromisoformat(str(v).strip()[:10]) - datetime.date(1970, 1, 1)).days
    except ValueError: return None
db.create_function("mochen_int", 1, whole, deterministic=True)
db.create_function("mochen_day_number", 1, day_number, deterministic=True)
db.create_function("mochen_today", 1, lambda d: (datetime.date.today() + datetime.timedelta(days=d or 0)).isoformat())
for line in open(sys.argv[2], encoding="utf-8"):
    label, sql = line.rstrip("\n").split("\t", 1)
    def timed(q, fetch):
        runs = []
        for _ in range(3):
            t = time.perf_counter()
            cur = db.execute(q)
            rows = cur.fetchmany(256) if fetch else cur.fetchall()
            runs.append((time.perf_counter() - t) * 1000)
        return statistics.median(runs)
    first = timed(sql, True)
    every = timed("select count(*) from (" + sql + ")", False)
    print(f"{label}\t{first:.1f}\t{every:.1f}")
PYEOF
done

python3 - "$work" "$out" "${runs[@]}" <<'EOF'
import csv, re, sys
work, out, runs = sys.argv[1], sys.argv[2], sys.argv[3:]
targets = {
    "startupToLogin": "≤ 500, flat", "loginToReadyWindow": "≤ 2000",
    "memberSearchOneMatch": "≤ 30", "memberSearchManyMatches": "≤ 30",
    "checkoutCommitCardAndCash": "≤ 10", "statisticsQuery": "≤ 200", "statisticsDrillDown": "≤ 200",
    "pageFirstOpen": "≤ 300", "comprehensiveStatistics": "≤ 300", "exportMembers": "≤ 2000 (1×)", "peak": "≤ 250 MB",
}
res, order, raw = {}, [], {}
for r in runs:
    res[r] = {}
    try:
        for row in csv.reader(open(f"{work}/{r}.csv", encoding="utf-8")):
            if len(row) < 4: continue
            key = row[0] + (" · " + row[1] if row[1] else "")
            res[r][key] = float(row[3])
            if key not in order: order.append(key)
    except FileNotFoundError:
        pass
    try:
        txt = open(f"{work}/{r}.txt", encoding="utf-8").read()
        m = re.search(r"PEAK_RSS_KB bench=(\d+) child=(\d+)", txt)
    except FileNotFoundError:
        m = None
    if m:
        res[r]["peak memory, bench process (MB)"] = int(m.group(1)) / 1024
        res[r]["peak memory, program start + login (MB)"] = int(m.group(2)) / 1024
    try:
        res[r]["database size (MB)"] = int(open(f"{work}/{r}.size").read()) / 1024
    except (FileNotFoundError, ValueError):
        pass
    raw[r] = {}
    try:
        for line in open(f"{work}/{r}.rawtimes", encoding="utf-8"):
            label, first, every = line.rstrip("\n").split("\t")
            raw[r][label] = (float(first), float(every))
    except FileNotFoundError:
        pass
for k in ["peak memory, bench process (MB)", "peak memory, program start + login (MB)", "database size (MB)"]:
    order.append(k)
scaled = [r for r in runs if not r.endswith("noindex")]
cols = []
for r in scaled: cols += [r, f"raw {r} (256 / all)"]
if len(scaled) > 1: cols.append(f"{scaled[-1]}/{scaled[0]}")
cols.append(f"program / raw all ({scaled[0]})")
if "large-noindex" in runs: cols += ["no indexes", "no idx/idx"]
def fmt(v):
    if v is None: return "—"
    return f"{v:.1f}" if v < 100 else f"{v:.0f}"
lines = ["| measurement (ms, median) | target | " + " | ".join(cols) + " |",
         "|---|---|" + "---|" * len(cols)]
for k in order:
    base = k.split(" · ")[0]
    t = targets.get(base, "≤ 250 MB" if "memory" in k else "")
    vals = [res[r].get(k) for r in scaled]
    cells = []
    for r, v in zip(scaled, vals):
        cells.append(fmt(v))
        rv = raw.get(r, {}).get(k)
        cells.append(f"{fmt(rv[0])} / {fmt(rv[1])}" if rv else "—")
    if len(scaled) > 1:
        a, b = vals[0], vals[-1]
        cells.append(f"×{b/a:.2f}" if a and b is not None and a > 0 else "—")
    rv = raw.get(scaled[0], {}).get(k)
    cells.append(f"{vals[0]/rv[1]:.2f}" if rv and vals[0] is not None and rv[1] > 0 else "—")
    if "large-noindex" in runs:
        n = res["large-noindex"].get(k)
        cells.append(fmt(n))
        i = res.get("large", {}).get(k)
        cells.append(f"×{n/i:.2f}" if n is not None and i else "—")
    lines.append(f"| {k} | {t} | " + " | ".join(cells) + " |")
text = "\n".join(lines)
print(text)
if out:
    open(out, "w", encoding="utf-8").write(text + "\n")
EOF
