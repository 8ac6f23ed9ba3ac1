# Sourced by the benchmark scripts: `measure LABEL COMMAND...` prints the seconds and the peak
# memory of the command and keeps the seconds in $last; `ratio A B` prints A / B. Needs $work.
measure() {
    local label=$1; shift
    /usr/bin/time -f "%e %M" -o "$work/t" "$@"
    read -r secs kb < "$work/t"
    last=$secs
    printf "%-44s %7.3f s  peak %7.1f MB\n" "$label" "$secs" "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "  ratio %.2f\n", a / b; else print "  ratio n/a" }'; }
