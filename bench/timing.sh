# Shared by the bench scripts: one timed command at a time, each a row of
# "$work/times" ("name field...") in the order run, so that the rows of one
# round sit together; then medians and round-by-round ratios over them.

# Runs one command, its output discarded, and appends "name seconds
# maxrss_kb involuntary_switches voluntary_switches cpu_seconds" to
# $work/times; a failing command ends the script with its errors.
timed()
{
    name=$1
    shift
    /usr/bin/time -f "$name %e %M %c %w %U %S" -o "$work/one" "$@" >/dev/null 2>"$work/err" ||
        { echo "$(basename "$0" .sh): $name failed:" >&2; cat "$work/err" >&2; exit 1; }
    awk '{ print $1, $2, $3, $4, $5, $6 + $7 }' "$work/one" >>"$work/times"
}

# Median of the numbers on stdin.
median()
{
    sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) m = v[(NR + 1) / 2]; else m = (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.4g\n", m }'
}

# Median of a column of the rows of one command.
column()
{
    awk -v name="$1" -v col="$2" '$1 == name { print $col }' "$work/times" | median
}

# Median over the rounds of the ratio a/b of a column (2, the seconds,
# unless given third) of two commands, both taken in the same round.
ratio()
{
    awk -v a="$1" -v b="$2" -v col="${3:-2}" '
        $1 == a { ta[++na] = $col }
        $1 == b { tb[++nb] = $col }
        END { for (i = 1; i <= na && i <= nb; ++i) print (tb[i] > 0 ? ta[i] / tb[i] : 0) }' "$work/times" | median
}
