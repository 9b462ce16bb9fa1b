#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the whole tree with -Werror, all tests (widget tests under Xvfb, Mesa software GL);
#   2. the engine tests again under ASan+UBSan and under TSan, and the page's
#      monkey test under ASan+UBSan (only the targets these need are built);
#   3. the fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)

export QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1 QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"

echo "== build (release, warnings as errors)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
echo "== all tests"
xvfb-run -a -s "-screen 0 1920x1080x24" ctest --test-dir build --output-on-failure -j"$jobs"

for san in ASAN TSAN; do
  dir=build-$(echo "$san" | tr 'A-Z' 'a-z')
  echo "== engine tests under $san"
  if [ "$san" = ASAN ]; then
    # The GUI half is configured for the page's monkey test, but only the
    # engine tests and that one test program are built.
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_GUI=ON \
      -DKORVEL_BENCH=OFF -DKORVEL_WERROR=ON -DKORVEL_ASAN=ON >/dev/null
    cmake --build "$dir" -j"$jobs" --target engine_tests test_page_monkey
  else
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_GUI=OFF \
      -DKORVEL_BENCH=OFF -DKORVEL_WERROR=ON -DKORVEL_$san=ON >/dev/null
    cmake --build "$dir" -j"$jobs"
  fi
  ctest --test-dir "$dir" -L engine --output-on-failure -j"$jobs"
done
echo "== page monkey under ASAN (60 s)"
xvfb-run -a -s "-screen 0 1920x1080x24" \
  ctest --test-dir build-asan -R '^test_page_monkey$' --output-on-failure

echo "== fuzzing"
bash scripts/fuzz.sh "${KORVEL_FUZZ_SECONDS:-30}"
