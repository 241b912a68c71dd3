#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 (ASan + UBSan) in build-fuzz/ and runs them.
#
#   fuzz/run.sh --brief [TARGET...]     replay the corpora, then fuzz each target briefly
#                                       (GW_FUZZ_SECONDS, default 25) — used by .ci/run
#   fuzz/run.sh --long RUNS [TARGET...] fuzz each target for RUNS executions
#   fuzz/run.sh --replay [TARGET...]    replay the corpora and tests/crashers only
#
# Targets: pe ne ico dib png roundtrip (all when none is named). New inputs go to
# build-fuzz/corpus/TARGET, crashes to build-fuzz/artifacts/TARGET/. Exits non-zero
# when any target crashes, leaks, times out or breaks one of its checks.
set -euo pipefail

# Everything runs from main, so that bash has read the whole script before it starts:
# editing it during a long run cannot change what that run does.
main() {
  root="$(cd "$(dirname "$0")/.." && pwd)"
  build="${GW_FUZZ_BUILD:-$root/build-fuzz}"
  all_targets=(pe ne ico dib png roundtrip)

  usage() { sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 2; }

  mode="${1:-}"
  [ -n "$mode" ] || usage
  shift
  runs=0
  case "$mode" in
    --brief|--replay) ;;
    --long)
      [ $# -ge 1 ] && [[ "$1" =~ ^[0-9]+$ ]] || usage
      runs="$1"
      shift
      ;;
    *) usage ;;
  esac
  targets=("$@")
  [ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
  for t in "${targets[@]}"; do
    [[ " ${all_targets[*]} " == *" $t "* ]] || { echo "unknown target: $t" >&2; exit 2; }
  done

  command -v clang++-14 >/dev/null || bash "$root/tools/setup.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DGW_FUZZ=ON -DGW_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

  export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
  export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
  # Larger than any real icon file needs; one image of 1024 x 1024 fits many times over
  # the allocation limit, so a balloon shows up as a crash.
  common=(-dict="$root/fuzz/icons.dict" -timeout=10 -malloc_limit_mb=64 -rss_limit_mb=2048
          -print_final_stats=1)

  failed=()
  summary=()
  for t in "${targets[@]}"; do
    bin="$build/fuzz/fuzz_$t"
    seeds="$root/fuzz/corpus/$t"
    log="$build/fuzz-$t.log"

    # Replay: every seed and every crasher must go through cleanly.
    if ! "$bin" -runs=0 "${common[@]}" "$seeds" "$root/tests/crashers" >"$log" 2>&1; then
      echo "replay of fuzz/corpus/$t failed:"; tail -n 30 "$log"
      failed+=("$t")
      continue
    fi
    [ "$mode" = --replay ] && { summary+=("$t: replayed"); continue; }

    work="$build/corpus/$t"
    artifacts="$build/artifacts/$t/"
    mkdir -p "$work" "$artifacts"
    limit=(-max_total_time="${GW_FUZZ_SECONDS:-25}")
    [ "$mode" = --long ] && limit=(-runs="$runs")
    # Files twice the size of the seeds reach every structure; images need less.
    case "$t" in
      pe|ne|ico) limit+=(-max_len=8192) ;;
      *) limit+=(-max_len=4096) ;;
    esac
    echo "== fuzz_$t ${limit[*]}"
    start=$(date +%s)
    if "$bin" "${common[@]}" "${limit[@]}" -artifact_prefix="$artifacts" "$work" "$seeds" >"$log" 2>&1; then
      status=ok
    else
      status=FAILED
      failed+=("$t")
      grep -E "ERROR|SUMMARY|check failed|Test unit written" "$log" | head -n 20 || true
    fi
    seconds=$(( $(date +%s) - start ))
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    summary+=("$t: $status, ${execs:-?} executions in ${seconds}s (${rate:-?} exec/s), corpus $(ls "$work" | wc -l) inputs")
  done

  echo "== fuzz summary"
  printf '  %s\n' "${summary[@]}"
  if [ ${#failed[@]} -gt 0 ]; then
    echo "failed targets: ${failed[*]} (logs in $build/fuzz-TARGET.log)"
    exit 1
  fi
}

main "$@"
