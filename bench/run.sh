#!/usr/bin/env bash
# Builds Quillmark and its benchmarks in Release (folder build-bench) and
# prints one table: a single-system run against the floor program, the
# aggregation throughput in-process and whole-process, global runs over 10,
# 100 and 1,000 systems, and the peak resident memory of every whole-process
# run. Everything runs in a fresh temporary folder.
#
# Wall times on a shared machine are noisy: every figure is a median, the
# commands of one comparison run in turn (A B A B ...). Knobs (environment):
#   RUNS=51        runs per command for the single-system comparison
#   BULK_RUNS=21   runs per command for the whole-process throughput and the
#                  global runs
#   RSS_RUNS=5     runs per command for the peak resident memory (median)
#   LATENCY_SIZES="50 200 1000"  listing sizes of the global runs with latency
#   BENCH_BUILD=build-bench   the build folder
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
runs="${RUNS:-51}"
bulk_runs="${BULK_RUNS:-21}"
rss_runs="${RSS_RUNS:-5}"
build="$top/${BENCH_BUILD:-build-bench}"

# What building and measuring needs: the test setup, Google Benchmark and time.
scripts/setup.sh libbenchmark-dev time

echo "Building in Release ($build) ..." >&2
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLMARK_TESTS=OFF \
  -DQUILLMARK_BENCH=ON >/dev/null
cmake --build "$build" --target quillmark quillmark-passwd aggregation_bench bench_timer \
  bench_floor >/dev/null
qm="$build/quillmark"
timer="$build/bench/bench_timer"
floor="$build/bench/bench_floor"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
password="$("$build/quillmark-passwd" bench-secret)"

# A PRTG installation below $1 (a QUILLMARK_ROOT): the hint file names
# C:\PRTG; profiles go to its "Custom Sensors/ExeXml" folder.
make_root() {
  mkdir -p "$1/C/PRTG/Custom Sensors/ExeXml"
  printf 'C:\\PRTG\n' >"$1/C/PRTG_Path.Txt"
}
# make_profile ROOT NAME HOST SYSNR
make_profile() {
  printf '%s\n' "Extcompany.: BE" "Destination: $2" "Client.....: 100" "User.......: monitor" \
    "Password...: $password" "Language...: E" "Mode.......: R/3" "Hostname...: $3" \
    "Sysnr......: $4" "Gwhost.....: $3" "Gwservice..: sapgw$4" \
    >"$1/C/PRTG/Custom Sensors/ExeXml/$2.P00"
}
# landscape_system NAME HOST SYSNR TOP
landscape_system() {
  printf '[%s]\nhost = %s\nsysnr = %s\ntop = %s\ncpu = synthetic 1\n' "$1" "$2" "$3" "$4"
}

# 40 process rows of an SAP host.
{
  echo "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES"
  users=(prdadm sapadm oracle root daemon)
  commands=(dw.sapPRD_DVEBMGS00 sapstartsrv ora_pmon_PRD sshd cron gwrd icman msg_server)
  for i in $(seq 0 39); do
    printf '%s,%s,%d,"%8d",%d,%d\n' "${users[i % 5]}" "${commands[i % 8]}" \
      $(((i * 137) % 5000)) $(((i * 7919) % 99999)) $((100000 + i * 1234)) $((50000 + i * 567))
  done
} >"$work/top40.csv"

# The single-system tree: PRD (40 rows), SYN1K and SYN1M (synthetic rows).
make_root "$work/single"
make_profile "$work/single" PRD sapprd01 00
make_profile "$work/single" SYN1K syn1k 01
make_profile "$work/single" SYN1M syn1m 02
{
  landscape_system PRD sapprd01 00 top40.csv
  landscape_system SYN1K syn1k 01 "synthetic 1000"
  landscape_system SYN1M syn1m 02 "synthetic 1000000"
} >"$work/single.ini"

# One tree and landscape per global listing size. Listing lines hold at most
# 199 characters: "# Gsng: " and 12 unread columns, then 17 entries.
for n in 10 100 1000; do
  root="$work/global$n"
  make_root "$root"
  {
    echo "# Global listing of $n systems"
    line=""
    count=0
    for i in $(seq 1 "$n"); do
      name="$(printf 'G%04d' "$i")"
      line="$line$name.P00#"
      count=$((count + 1))
      if [ "$count" -eq 17 ] || [ "$i" -eq "$n" ]; then
        printf '# Gsng: bench-list: %s\n' "$line"
        line=""
        count=0
      fi
    done
  } >"$root/C/PRTG/Custom Sensors/ExeXml/Beaconry.Prf"
  for i in $(seq 1 "$n"); do
    name="$(printf 'G%04d' "$i")"
    make_profile "$root" "$name" "h$name" 00
    landscape_system "$name" "h$name" 00 top40.csv
  done >"$work/global$n.ini"
done
# Global listings whose systems answer after a delay: every RFC operation
# of them takes 20 ms (an open, two calls and two receives: about 100 ms per
# system), and in the last one 3 of 50 systems never answer.
latency_sizes="${LATENCY_SIZES:-50 200 1000}"
make_listing() { # make_listing ROOT COUNT PREFIX
  {
    echo "# Global listing of $2 systems"
    for i in $(seq 1 "$2"); do printf '# Gsng: bench-list: %s%04d.P00#\n' "$3" "$i"; done
  } >"$1/C/PRTG/Custom Sensors/ExeXml/Beaconry.Prf"
}
for n in $latency_sizes dead50; do
  root="$work/latency$n"
  count="${n#dead}"
  make_root "$root"
  make_listing "$root" "$count" L
  for i in $(seq 1 "$count"); do
    name="$(printf 'L%04d' "$i")"
    make_profile "$root" "$name" "h$name" 00
    landscape_system "$name" "h$name" 00 top40.csv
    if [ "$n" = dead50 ] && { [ "$i" -eq 10 ] || [ "$i" -eq 25 ] || [ "$i" -eq 40 ]; }; then
      echo "delay_ms = 3600000"
    else
      echo "delay_ms = 20"
    fi
  done >"$work/latency$n.ini"
done

longest="$(awk '{ if (length($0) > m) m = length($0) } END { print m }' \
  "$work/global1000/C/PRTG/Custom Sensors/ExeXml/Beaconry.Prf")"
[ "$longest" -le 199 ] || { echo "listing line of $longest characters" >&2; exit 1; }

cd "$work"
# The runs use the stand-in, chosen by name (the program never falls back to
# it). The global runs of (3) measure one system after another.
printf 'RfcLibrary=standin\nParallel=1\n' >"$work/Quillmark.ini"
# A working folder per worker count for the runs with latency (Timeout=0, so
# the slow runs finish).
for workers in 1 default 32; do
  mkdir -p "$work/workers-$workers"
  {
    printf 'RfcLibrary=standin\nTimeout=0\n'
    [ "$workers" = default ] || printf 'Parallel=%s\n' "$workers"
  } >"$work/workers-$workers/Quillmark.ini"
done
single_env=(QUILLMARK_ROOT="$work/single" RFCSIM_LANDSCAPE="$work/single.ini")
global_env() { echo "QUILLMARK_ROOT=$work/global$1" "RFCSIM_LANDSCAPE=$work/global$1.ini"; }

# Check that every command measures what it should before timing it.
expect() {
  local pattern="$1"
  shift
  local out
  out="$(env "$@")" || { echo "failed: $*" >&2; exit 1; }
  grep -q -- "$pattern" <<<"$out" || { echo "unexpected output of: $*" >&2; echo "$out" >&2; exit 1; }
}
expect "System-Procs" "${single_env[@]}" "$qm" PRD
expect "Active Proc\[SAPADM\]" "${single_env[@]}" "$qm" SYN1M USER=SAPADM
expect "Active Proc\[DW\*\]" "${single_env[@]}" "$qm" SYN1M 'PROC=dw*'
for n in 10 100 1000; do
  # shellcheck disable=SC2046
  expect "NoSystems=$n, Processed=$n, Failed=0" $(global_env $n) "$qm" X ITEM=CPU-Usage
done

# Prints "median p10 p90 failures cpu-median" per command (microseconds;
# wall time, then processor time).
timed() { "$timer" "$@"; }
field() { awk -v line="$1" -v col="$2" 'NR == line { print $col }' <<<"$3"; }
ms() { awk -v us="$1" 'BEGIN { printf "%.2f", us / 1000 }'; }
# Million rows per second from the times (us) of 1,000 and 1,000,000 rows.
rate() { awk -v s="$1" -v l="$2" 'BEGIN { printf "%.1f", 999000 / ((l - s) / 1e6) / 1e6 }'; }

# Peak resident memory in KB, median of rss_runs runs.
peak_rss() {
  # env execs the program in its own process, so the peak is the program's.
  for _ in $(seq 1 "$rss_runs"); do
    /usr/bin/time -f %M -o "$work/rss" env "$@" >/dev/null
    cat "$work/rss"
  done | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

echo "Measuring ..." >&2
echo "# Quillmark benchmarks"
echo
echo "Machine: $(nproc) processors, $(lscpu | sed -n 's/^Model name: *//p' | head -1)," \
  "$(free -m | awk '/^Mem:/ { print $2 }') MB memory; load average at start:" \
  "$(cut -d' ' -f1-3 /proc/loadavg)"
echo

# (1) Single-system run against the floor.
result="$(timed "$runs" -- "$floor" -- "${single_env[@]}" "$qm" PRD)"
floor_us="$(field 1 1 "$result")"
single_us="$(field 2 1 "$result")"
echo "## 1. Single-system run (40 CSV rows) against the floor, $runs runs each, in turn"
echo
floor_cpu="$(field 1 5 "$result")"
single_cpu="$(field 2 5 "$result")"
echo "| Program | wall median ms | wall p10 ms | wall p90 ms | processor median ms | failed runs |"
echo "|---|---:|---:|---:|---:|---:|"
echo "| floor (C, gcc -O2, 600 bytes) | $(ms "$floor_us") | $(ms "$(field 1 2 "$result")") |" \
  "$(ms "$(field 1 3 "$result")") | $(ms "$floor_cpu") | $(field 1 4 "$result") |"
echo "| quillmark PRD | $(ms "$single_us") | $(ms "$(field 2 2 "$result")") |" \
  "$(ms "$(field 2 3 "$result")") | $(ms "$single_cpu") | $(field 2 4 "$result") |"
echo
echo "Ratio of the medians (target: at most 1.50): wall time" \
  "$(awk -v a="$single_us" -v b="$floor_us" 'BEGIN { printf "%.2f", a / b }'), processor time" \
  "$(awk -v a="$single_cpu" -v b="$floor_cpu" 'BEGIN { printf "%.2f", a / b }')"
echo

# (2) Aggregation throughput.
echo "## 2. Aggregation throughput"
echo
echo "### Whole process: (median time with 1,000,000 rows - median time with 1,000) / 999,000 rows, $bulk_runs runs each, in turn"
echo
echo "| Filter | 1,000 rows ms | 1,000,000 rows ms | million rows/s | by processor time: 1,000 rows ms | 1,000,000 rows ms | million rows/s |"
echo "|---|---:|---:|---:|---:|---:|---:|"
filters=("" "USER=SAPADM" "PROC=dw*")
labels=("none" "USER=SAPADM" "PROC=dw*")
for k in 0 1 2; do
  result="$(timed "$bulk_runs" -- "${single_env[@]}" "$qm" SYN1K "${filters[k]}" \
    -- "${single_env[@]}" "$qm" SYN1M "${filters[k]}")"
  small="$(field 1 1 "$result")"
  large="$(field 2 1 "$result")"
  small_cpu="$(field 1 5 "$result")"
  large_cpu="$(field 2 5 "$result")"
  echo "| ${labels[k]} | $(ms "$small") | $(ms "$large") | $(rate "$small" "$large") |" \
    "$(ms "$small_cpu") | $(ms "$large_cpu") | $(rate "$small_cpu" "$large_cpu") |"
done
echo
echo "### In process (Google Benchmark, median of 5 repetitions; rows/s by processor time)"
echo
echo "Walk: the filled table walked as the program does it. Collect: the whole"
echo "GET_TOP_SINGLE step, the stand-in's fill of the table included."
echo
echo "| Benchmark | rows | filter | wall ms | processor ms | million rows/s |"
echo "|---|---:|---|---:|---:|---:|"
"$build/bench/aggregation_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null |
  awk -F, -v names="none,USER=SAPADM,PROC=dw*" '
    BEGIN { split(names, filter, ",") }
    $1 ~ /_median"$/ {
      gsub(/"/, "", $1)
      split($1, part, "/")
      sub(/rows:/, "", part[2]); sub(/filter:/, "", part[3])
      printf "| %s | %s | %s | %.3f | %.3f | %.1f |\n", substr(part[1], 4), part[2],
             filter[part[3] + 1], $3 / 1000, $4 / 1000, $(NF - 3) / 1e6
    }'
echo

# (3) Global runs.
echo "## 3. Global run (ITEM=CPU-Usage, 40 CSV rows per system), $bulk_runs runs each, in turn"
echo
echo "Per system: the median over the systems; added per system: the cost of the systems"
echo "added since the smaller listing, which leaves out the start of the process."
echo
echo "| Systems | median ms | ms per system | ms per added system | processor ms | processor ms per added system |"
echo "|---:|---:|---:|---:|---:|---:|"
# shellcheck disable=SC2046
result="$(timed "$bulk_runs" -- $(global_env 10) "$qm" X ITEM=CPU-Usage \
  -- $(global_env 100) "$qm" X ITEM=CPU-Usage -- $(global_env 1000) "$qm" X ITEM=CPU-Usage)"
line=1
previous_n=0
previous_us=0
previous_cpu=0
per_added() { awk -v a="$1" -v b="$2" -v n="$3" 'BEGIN { printf "%.3f", (a - b) / n / 1000 }'; }
for n in 10 100 1000; do
  us="$(field $line 1 "$result")"
  cpu="$(field $line 5 "$result")"
  added="-"
  added_cpu="-"
  if [ "$previous_n" -ne 0 ]; then
    added="$(per_added "$us" "$previous_us" $((n - previous_n)))"
    added_cpu="$(per_added "$cpu" "$previous_cpu" $((n - previous_n)))"
  fi
  echo "| $n | $(ms "$us") | $(awk -v us="$us" -v n="$n" 'BEGIN { printf "%.3f", us / n / 1000 }') |" \
    "$added | $(ms "$cpu") | $added_cpu |"
  previous_n=$n
  previous_us=$us
  previous_cpu=$cpu
  line=$((line + 1))
done
echo

# (4) Global runs with latency.
echo "## 4. Global runs with latency (every RFC operation 20 ms, about 100 ms per system), one run each"
echo
echo "Ideal: ceil(systems / workers) times the time per system, taken from the run with"
echo "one worker. The default is $(sed -n 's/.*kDefaultParallel = \([0-9]*\);.*/\1/p' "$top/src/config/settings.h") workers. Target: at most 1.25 at the default and at 32 workers"
echo "from 200 systems up; the cost per system flat; every live system reported."
echo
echo "| Systems | workers | wall s | systems reported | ideal s | ratio | ms per system |"
echo "|---:|---:|---:|---:|---:|---:|---:|"
default_workers="$(sed -n 's/.*kDefaultParallel = \([0-9]*\);.*/\1/p' "$top/src/config/settings.h")"
# latency_run DIR ROOT_SIZE: prints "wall_ms reported" of one run.
latency_run() {
  local begin end out
  begin="$(date +%s%N)"
  out="$(cd "$work/workers-$1" && env QUILLMARK_ROOT="$work/latency$2" \
    RFCSIM_LANDSCAPE="$work/latency$2.ini" "$qm" X ITEM=CPU-Usage)"
  end="$(date +%s%N)"
  echo "$(((end - begin) / 1000000)) $(grep -c '<Result>' <<<"$out")"
}
for n in $latency_sizes; do
  per_system=""
  for workers in 1 default 32; do
    read -r wall reported <<<"$(latency_run "$workers" "$n")"
    count="$workers"
    [ "$workers" = default ] && count="$default_workers"
    [ -n "$per_system" ] || per_system="$(awk -v w="$wall" -v n="$n" 'BEGIN { print w / n }')"
    ideal="$(awk -v n="$n" -v c="$count" -v t="$per_system" 'BEGIN { printf "%.3f", int((n + c - 1) / c) * t / 1000 }')"
    echo "| $n | $count | $(awk -v w="$wall" 'BEGIN { printf "%.2f", w / 1000 }') | $reported |" \
      "$ideal | $(awk -v w="$wall" -v i="$ideal" 'BEGIN { printf "%.2f", w / 1000 / i }') |" \
      "$(awk -v w="$wall" -v n="$n" -v c="$count" 'BEGIN { printf "%.1f", w / int((n + c - 1) / c) }') |"
  done
done
echo
echo "50 systems of which 3 never answer (SystemTimeout=2): the live ones are all reported;"
echo "ideal: ceil(47 / workers) times the time per system of the 50-system run, plus one SystemTimeout."
echo
echo "| workers | wall s | systems reported | ideal s | ratio |"
echo "|---:|---:|---:|---:|---:|"
per50="$(read -r w _ <<<"$(latency_run 1 50)"; awk -v w="$w" 'BEGIN { print w / 50 }')"
for workers in default 32; do
  printf 'SystemTimeout=2\n' >>"$work/workers-$workers/Quillmark.ini"
  read -r wall reported <<<"$(latency_run "$workers" dead50)"
  count="$workers"
  [ "$workers" = default ] && count="$default_workers"
  ideal="$(awk -v c="$count" -v t="$per50" 'BEGIN { printf "%.3f", int((47 + c - 1) / c) * t / 1000 + 2 }')"
  echo "| $count | $(awk -v w="$wall" 'BEGIN { printf "%.2f", w / 1000 }') | $reported of 47 | $ideal |" \
    "$(awk -v w="$wall" -v i="$ideal" 'BEGIN { printf "%.2f", w / 1000 / i }') |"
done
echo

# (5) Peak resident memory.
echo "## 5. Peak resident memory (/usr/bin/time -f %M, median of $rss_runs runs)"
echo
echo "| Run | KB |"
echo "|---|---:|"
echo "| floor | $(peak_rss "$floor") |"
echo "| quillmark PRD (40 rows) | $(peak_rss "${single_env[@]}" "$qm" PRD) |"
for k in 0 1 2; do
  echo "| quillmark SYN1K ${labels[k]} (1,000 rows) | $(peak_rss "${single_env[@]}" "$qm" SYN1K "${filters[k]}") |"
  echo "| quillmark SYN1M ${labels[k]} (1,000,000 rows) | $(peak_rss "${single_env[@]}" "$qm" SYN1M "${filters[k]}") |"
done
for n in 10 100 1000; do
  # shellcheck disable=SC2046
  echo "| quillmark global, $n systems | $(peak_rss $(global_env $n) "$qm" X ITEM=CPU-Usage) |"
done
echo
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
