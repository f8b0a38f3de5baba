#!/usr/bin/env bash
# The demo against broken data: every file of data/ in turn missing, cut to
# half its length, replaced by seeded random bytes of the same length, and
# (parameter and path files) with every value replaced by an extreme. For
# each, quorvane-render plays the whole sequence headless beside a private
# copy of data/, at half a frame a second with a key every 20 frames: every
# frame loop draws frames (so broken values reach the frame code), yet none
# lasts long. A crash, a sanitizer report, an exit status other than 0 or a
# run past its time bound fails it. Loaders' messages for broken files are
# the loaders' own tests; this looks only for what no test can foresee.
#
#   fuzz/run_data_faults.sh [RENDERER]   (default: build-sanitize/quorvane-render)
set -euo pipefail
cd "$(dirname "$0")/.."

renderer=$(realpath "${1:-build-sanitize/quorvane-render}")
bound=${DATA_FAULTS_SECONDS:-30}  # per run
# Beside the renderer: on its file system, where hard links to it can be made.
scratch=$(mktemp -d "$(dirname "$renderer")/data-faults-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export renderer bound scratch
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# One run: FILE FAULT [VALUE]. Prints a line per problem, nothing when all is well.
play_broken() {
  local file=$1 fault=$2 value=${3:-} home size
  home=$(mktemp -d "$scratch/run-XXXXXX")
  # The renderer finds data/ beside its executable; links cost no copying,
  # and the broken file is always a new file, never the linked original.
  ln "$renderer" "$home/quorvane-render" 2>/dev/null || cp "$renderer" "$home/quorvane-render"
  cp -al data "$home/data" 2>/dev/null || cp -a data "$home/data"
  size=$(stat -c %s "data/$file")
  rm "$home/data/$file"
  case $fault in
    missing) ;;
    half) head -c $((size / 2)) "data/$file" > "$home/data/$file" ;;
    random)  # seeded by the name: every run the same bytes
      python3 -c 'import random, sys; random.seed(sys.argv[1]); sys.stdout.buffer.write(random.randbytes(int(sys.argv[2])))' \
        "$file" "$size" > "$home/data/$file" ;;
    extreme)  # lines "` v1 v2 ..." hold the values; other lines are comments
      awk -v v="$value" '/^` / { line = "`"; for (i = 2; i <= NF; ++i) line = line " " v; print line; next } { print }' \
        "data/$file" > "$home/data/$file" ;;
  esac
  local arguments=(--fps 0.5 --keys "$(seq -s, 20 20 4000)")
  [[ $file == *.it ]] && arguments+=(--wav "$home/sound.wav")  # the module plays only in the soundtrack
  local status=0
  (cd / && timeout -k 5 "$bound" "$home/quorvane-render" "${arguments[@]}") > "$home/output" 2>&1 || status=$?
  local what="data/$file $fault${value:+ $value}" problem=""
  if [[ $status == 124 || $status == 137 ]]; then
    # A broken parameter file may rightly ask for that much work: a huge
    # length or count is not a fault of the program.
    if [[ $fault != missing && $file == *.conf ]]; then
      echo "note: $what: past the time bound, as its parameters may ask" >&2
    else
      problem="did not end within $bound s"
    fi
  elif [[ $status != 0 ]]; then
    problem="exit status $status"
  fi
  grep -qE 'Sanitizer|runtime error' "$home/output" && problem="${problem:+$problem, }a sanitizer report"
  if [[ -n $problem ]]; then
    echo "FAIL: $what: $problem"
    tail -40 "$home/output" | sed 's/^/    /'
  fi
  rm -rf "$home"
}
export -f play_broken

{
  for file in $(ls data); do
    for fault in missing half random; do echo "$file $fault"; done
  done
  for file in $(grep -lI '^` ' data/* | xargs -n1 basename); do
    for value in 0 -1000000000 2147483648 1e300 -1e300 nan inf; do echo "$file extreme $value"; done
  done
} > "$scratch/cases"

start=$SECONDS
xargs -P "$(nproc)" -L 1 bash -c 'play_broken "$@"' _ < "$scratch/cases" > "$scratch/problems"
cases=$(wc -l < "$scratch/cases")
if grep -q '^FAIL' "$scratch/problems"; then
  cat "$scratch/problems"
  echo "data faults: $(grep -c '^FAIL' "$scratch/problems") problems in $cases runs ($((SECONDS - start)) s)"
  exit 1
fi
echo "data faults: $cases runs, no crash, hang or sanitizer report ($((SECONDS - start)) s)"
