#!/bin/sh
# Times tavpipe on generated jobs against the cost of merely unpacking and
# repacking the same package with unzip and zip.
#
#   bench/chainbench.sh [-b [LABEL=]BUILD]... [-r RUNS] [-e EXTRA] [-w DIR] [-c | -m] [PAGES...]
#
# BUILD is a release build folder (default build/); given more than once,
# the builds run side by side in every round (say before=old/build
# after=build), and each command's time is also given as a ratio to the
# first build's (column xfirst). RUNS is the rounds per job (default 5);
# -c runs only the chain tables, -m only the markup rate. EXTRA the extra elements per page given to tavmakejob (the
# default, 100, makes pages of about 16.5 KB of markup with an embedded font
# and a small image), PAGES the page counts (default 2000 8000).
#
# Each round runs every command once, one after the other, so that the
# ratios to the copy are taken within one round, under the same load; the
# tables show the median of the rounds. Commands:
#   copy      unzip -q the package into a folder, zip -q -r it again
#   pass      the default chain (prep,order,layout,finisher), no options
#   mirror    -f finisher -o mirror=width: every page rewritten
#   booklet   the default chain with -o booklet=on
#   scale     -f prep -o print-scaling=fit-paper:A4: every page rewritten
#   4up       -f order,layout,finisher -o number-up=4: every page placed on
#             a sheet, four to a sheet
#   poster    -f layout -o poster=4: every page enlarged onto four tile
#             sheets, each holding the whole page clipped to its tile
#   gutter    -f layout -o binding=left -o binding-gutter=10mm -o
#             sides=two-sided-long-edge: every page moved from the bound edge
#   watermark -f prep -o watermark-text=DRAFT: every page rewritten with a
#             text watermark over its content
# For each: seconds, pages/s, ratio to copy (and to pass), the same ratios
# of CPU time (user + system; on a loaded machine wall-clock ratios favour
# the commands with more threads), peak resident memory in MB and per page
# in KB, and context switches per page (voluntary + involuntary, from
# /usr/bin/time).
#
# Afterwards the markup rate: jobs of about 45 MB of page markup in pages
# of two sizes (2800 pages of EXTRA 100, 200 of EXTRA 1600: about 16 KB and
# 229 KB a page) through -f finisher with and without mirror; the
# rewrite's rate is markup bytes over the time (and CPU time) the mirror
# adds.
set -eu
. "$(dirname "$0")/timing.sh"

builds=""
runs=5
extra=100
work=""
sections="chain markup"
while getopts b:r:e:w:cm option; do
    case "$option" in
        b) builds="$builds $OPTARG" ;;
        r) runs=$OPTARG ;;
        e) extra=$OPTARG ;;
        w) work=$OPTARG ;;
        c) sections=chain ;;
        m) sections=markup ;;
        *) sed -n '2,36p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || set -- 2000 8000

[ -n "$builds" ] || builds=build
labels=""
for build in $builds; do
    label=${build%%=*}
    [ "$label" != "$build" ] || label=$(basename "$(dirname "$(realpath "$build/bin")")")
    dir=${build#*=}
    labels="$labels $label"
    eval "tavpipe_$label=\$dir/bin/tavpipe"
    for tool in "$dir/bin/tavpipe" /usr/bin/time unzip zip; do
        command -v "$tool" >/dev/null || { echo "chainbench: $tool is missing" >&2; exit 2; }
    done
    [ -n "${makejob:-}" ] || makejob=$dir/bin/tavmakejob
done
first=${labels# }
first=${first%% *}
tavpipe() { eval "echo \"\$tavpipe_$1\""; }
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi

# Unpacks the package into a fresh folder and packs it again (timed alone).
copy()
{
    rm -rf "$work/unpacked" "$work/copy.zip"
    mkdir "$work/unpacked"
    timed copy sh -c 'cd "$1" && unzip -q "$2" && zip -q -r "$3" .' sh "$work/unpacked" "$1" "$work/copy.zip"
}

case "$sections" in *chain*) ;; *) set -- ;; esac
for pages in "$@"; do
    job=$work/job$pages.xps
    "$makejob" -n "$pages" -s a4 -i page -e "$extra" "$job"
    : >"$work/times"
    round=0
    while [ $round -lt "$runs" ]; do
        copy "$job"
        for label in $labels; do
            run=$(tavpipe "$label")
            timed "$label:pass" "$run" -q "$job" "$work/pass.xps"
            timed "$label:mirror" "$run" -q -f finisher -o mirror=width "$job" "$work/mirror.xps"
            timed "$label:booklet" "$run" -q -o booklet=on "$job" "$work/booklet.xps"
            timed "$label:scale" "$run" -q -f prep -o print-scaling=fit-paper:A4 "$job" "$work/scale.xps"
            timed "$label:4up" "$run" -q -f order,layout,finisher -o number-up=4 "$job" "$work/4up.xps"
            timed "$label:poster" "$run" -q -f layout -o poster=4 "$job" "$work/poster.xps"
            timed "$label:gutter" "$run" -q -f layout -o binding=left -o binding-gutter=10mm \
                -o sides=two-sided-long-edge "$job" "$work/gutter.xps"
            timed "$label:watermark" "$run" -q -f prep -o watermark-text=DRAFT "$job" "$work/watermark.xps"
        done
        round=$((round + 1))
    done
    size=$(wc -c <"$job")
    echo "== $pages pages, package $((size / 1024)) KB, $runs rounds (medians)"
    printf '%-16s %8s %8s %8s %8s %8s %8s %8s %8s %8s %8s %8s\n' command seconds pages/s xcopy xpass xfirst \
        cpu-s cpu-xcopy cpu-xpass peakMB KB/page cs/page
    for name in copy $(for label in $labels; do echo "$label:pass $label:mirror $label:booklet $label:scale $label:4up $label:poster $label:gutter $label:watermark"; done); do
        seconds=$(column "$name" 2)
        rss=$(column "$name" 3)
        switches=$(awk -v name="$name" '$1 == name { print $4 + $5 }' "$work/times" | median)
        label=${name%%:*}
        command=${name#*:}
        printf '%-16s %8.3f %8.0f %8.3f %8s %8s %8.3f %8.3f %8s %8.1f %8.2f %8.2f\n' "$name" "$seconds" \
            "$(awk -v p="$pages" -v s="$seconds" 'BEGIN { print (s > 0 ? p / s : 0) }')" \
            "$(ratio "$name" copy)" \
            "$([ "$name" = copy ] && echo - || ratio "$name" "$label:pass")" \
            "$([ "$name" = copy ] && echo - || ratio "$name" "$first:$command")" \
            "$(column "$name" 6)" "$(ratio "$name" copy 6)" \
            "$([ "$name" = copy ] && echo - || ratio "$name" "$label:pass" 6)" \
            "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')" \
            "$(awk -v k="$rss" -v p="$pages" 'BEGIN { print k / p }')" \
            "$(awk -v c="$switches" -v p="$pages" 'BEGIN { print c / p }')"
    done
done

case "$sections" in *markup*) ;; *) exit 0 ;; esac
echo "== markup rate: -f finisher with and without mirror ($runs rounds, medians)"
printf '%-16s %10s %10s %10s %12s %12s\n' build:markup KB/page plain-s mirror-s rewrite-MB/s cpu-MB/s
for sized in 2800:100 200:1600; do
    markupPages=${sized%:*}
    pageExtra=${sized#*:}
    job=$work/markup$pageExtra.xps
    "$makejob" -n "$markupPages" -s a4 -i page -e "$pageExtra" "$job"
    bytes=$(unzip -p "$job" 'Documents/1/Pages/*.fpage' | wc -c)
    : >"$work/times"
    round=0
    while [ $round -lt "$runs" ]; do
        for label in $labels; do
            run=$(tavpipe "$label")
            timed "$label:plain" "$run" -q -f finisher "$job" "$work/plain.xps"
            timed "$label:mirror" "$run" -q -f finisher -o mirror=width "$job" "$work/mirror.xps"
        done
        round=$((round + 1))
    done
    for label in $labels; do
        plain=$(column "$label:plain" 2)
        mirror=$(column "$label:mirror" 2)
        plainCpu=$(column "$label:plain" 6)
        mirrorCpu=$(column "$label:mirror" 6)
        printf '%-16s %10.1f %10.3f %10.3f %12.1f %12.1f\n' "$label:e$pageExtra" \
            "$(awk -v b="$bytes" -v n="$markupPages" 'BEGIN { print b / n / 1024 }')" "$plain" "$mirror" \
            "$(awk -v b="$bytes" -v p="$plain" -v m="$mirror" 'BEGIN { print (m > p ? b / (m - p) / 1e6 : 0) }')" \
            "$(awk -v b="$bytes" -v p="$plainCpu" -v m="$mirrorCpu" 'BEGIN { print (m > p ? b / (m - p) / 1e6 : 0) }')"
    done
done
