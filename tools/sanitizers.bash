# Shared by the sanitized runs: stop at the first finding, leave out what the
# libraries under the game keep at exit, and an X server where there is no
# display (run commands as "${xrun[@]}" CMD). Sourced from the tree's root.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
xrun=()
[ -n "${DISPLAY:-}" ] || xrun=(xvfb-run -a -s "-screen 0 1024x768x24 -noreset")
