#!/bin/sh
# Times the rendering converter against MuPDF on the same generated job:
# to PDF and to 300-dpi PWG Raster, side by side in every round; and the
# whole print path (tavpipe's default chain ending with the rip filter and
# the converter) when the build has tavpipe.
#
#   bench/renderbench.sh [-b BUILD] [-r RUNS] [-d DPI] [-w DIR] [PAGES]
#
# BUILD is a release build folder (default build/), RUNS the rounds
# (default 1), DPI the raster resolution (default 300), PAGES the pages of
# the job tavmakejob makes (default 2000). Each round runs, one after the
# other so that the ratios are taken under the same load:
#   ours-pdf   tavrenderpackage JOB out.pdf (every page fed to the
#              converter as the rip filter will, PDF out)
#   mupdf-pdf  mutool convert -o out.pdf JOB
#   ours-pwg   tavrenderpackage -r DPI JOB out.pwg
#   mupdf-pwg  mutool draw -q -F pwg -r DPI -o out.pwg JOB
#   pipe-pdf   tavpipe -q JOB out.pdf
#   pipe-pwg   tavpipe -q -o printer-resolution=DPIdpi JOB out.pwg
# For each: seconds, pages/s, CPU seconds (user + system) and peak resident
# memory (from /usr/bin/time), medians over the rounds; and for ours and
# tavpipe's, the ratios to MuPDF taken round by round: pages/s (above 1:
# we are faster), CPU time and peak memory (below 1: we use less).
set -eu
. "$(dirname "$0")/timing.sh"

build=build
runs=1
dpi=300
work=""
while getopts b:r:d:w: option; do
    case "$option" in
        b) build=$OPTARG ;;
        r) runs=$OPTARG ;;
        d) dpi=$OPTARG ;;
        w) work=$OPTARG ;;
        *) sed -n '2,23p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
pages=${1:-2000}

render=$build/bin/tavrenderpackage
pipe=$build/bin/tavpipe
makejob=$build/bin/tavmakejob
for tool in "$render" "$makejob" mutool /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "renderbench: $tool is missing" >&2; exit 2; }
done
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi

job=$work/job.xps
"$makejob" -n "$pages" "$job"
: >"$work/times"
round=0
while [ "$round" -lt "$runs" ]; do
    timed ours-pdf "$render" "$job" "$work/ours.pdf"
    timed mupdf-pdf mutool convert -o "$work/mupdf.pdf" "$job"
    timed ours-pwg "$render" -r "$dpi" "$job" "$work/ours.pwg"
    timed mupdf-pwg mutool draw -q -F pwg -r "$dpi" -o "$work/mupdf.pwg" "$job"
    if [ -x "$pipe" ]; then
        timed pipe-pdf "$pipe" -q "$job" "$work/pipe.pdf"
        timed pipe-pwg "$pipe" -q -o "printer-resolution=${dpi}dpi" "$job" "$work/pipe.pwg"
    fi
    round=$((round + 1))
done

echo "== $pages pages, PWG Raster at $dpi dpi, $runs rounds (medians)"
printf '%-10s %8s %8s %8s %8s %12s %10s %10s\n' command seconds pages/s cpu-s peakMB x-pages/s x-cpu x-peak
names="ours-pdf mupdf-pdf ours-pwg mupdf-pwg"
[ ! -x "$pipe" ] || names="$names pipe-pdf pipe-pwg"
for name in $names; do
    seconds=$(column "$name" 2)
    case "$name" in
        ours-* | pipe-*) other=mupdf-${name#*-} ;;
        *) other="" ;;
    esac
    printf '%-10s %8.2f %8.0f %8.2f %8.1f %12s %10s %10s\n' "$name" "$seconds" \
        "$(awk -v p="$pages" -v s="$seconds" 'BEGIN { print (s > 0 ? p / s : 0) }')" \
        "$(column "$name" 6)" "$(awk -v k="$(column "$name" 3)" 'BEGIN { print k / 1024 }')" \
        "$([ -n "$other" ] && ratio "$other" "$name" 2 || echo -)" \
        "$([ -n "$other" ] && ratio "$name" "$other" 6 || echo -)" \
        "$([ -n "$other" ] && ratio "$name" "$other" 3 || echo -)"
done
