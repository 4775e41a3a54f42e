#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) into build-fuzz/ and
# runs each for FUZZ_SECONDS (default 60) from the seed corpus in tests/fuzz.
# New inputs go to a scratch corpus; a crash leaves its input in
# build-fuzz/findings/ to be kept as a regression seed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
"$root/scripts/setup-debian.sh"
command -v clang++ >/dev/null || {
    sudo=""; [[ $(id -u) -eq 0 ]] || sudo="sudo"
    $sudo apt-get install -y --no-install-recommends clang libclang-rt-14-dev
}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DKV_FUZZ=ON >/dev/null
targets=(directlink cloud secret inventory backup)
cmake --build "$build" --target "${targets[@]/#/fuzz_}"
mkdir -p "$build/findings"
for target in "${targets[@]}"; do
    scratch="$build/corpus/$target"
    mkdir -p "$scratch"
    echo "== fuzz_$target for ${seconds}s"
    "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target-" "$scratch" "$root/tests/fuzz/corpus/$target" \
        2>&1 | grep -E "stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY|Done" || true
done
if compgen -G "$build/findings/*" >/dev/null; then
    echo "findings:"; ls "$build/findings"; exit 1
fi
echo "no findings"
