#!/bin/bash
# tavfilter run as the scheduler runs it, without a scheduler:
#   filter_tests.sh BUILD_DIR CASE
set -euo pipefail
. "$(dirname "$0")/test_lib.sh"
bin="$1/bin"
case_name="$2"
need pdfinfo pdftotext
make_work_dir
export TMPDIR="$work/tmp"
mkdir "$TMPDIR"
"$bin/tavmakejob" -n 16 "$work/j16.xps"

# run_filter TYPE OPTIONS [FILE]: job 7 of alice, the job on standard input
# when no file is given, the output through a pipe into $work/out and the
# messages into $work/err; sets status.
run_filter()
{
    local type="$1" options="$2"
    shift 2
    status=0
    if [ $# -eq 0 ]; then
        FINAL_CONTENT_TYPE="$type" "$bin/tavfilter" 7 alice "Quarterly report" 1 "$options" <"$work/j16.xps" \
            2>"$work/err" | cat >"$work/out" || status=$?
    else
        FINAL_CONTENT_TYPE="$type" "$bin/tavfilter" 7 alice "Quarterly report" 1 "$options" "$1" \
            2>"$work/err" | cat >"$work/out" || status=$?
    fi
    [ "${PIPESTATUS[0]}" = 0 ] || status=${PIPESTATUS[0]}
}

case "$case_name" in
pdf-number-up)
    # 16 pages four to a sheet are 4 sheets; one PAGE line for each.
    run_filter application/vnd.cups-pdf "number-up=4 job-uuid=urn:uuid:x"
    expect_eq 0 "$status" "exit status ($(cat "$work/err"))"
    expect_eq 4 "$(pdf_pages "$work/out")" "PDF pages"
    expect_eq 4 "$(grep -c '^PAGE: [1-4] 1$' "$work/err")" "PAGE lines"
    # Progress by the 16 pages read: 6 %, 12 %, ... 100 %, each said once.
    expect_eq "6 12 18 25 31 37 43 50 56 62 68 75 81 87 93 100" \
        "$(sed -n 's/^ATTR: job-media-progress=//p' "$work/err" | tr '\n' ' ' | sed 's/ $//')" "progress lines"
    ;;
pwg-raster)
    # Two-sided 2-up from a file: 8 sheets of PWG Raster that say duplex.
    run_filter image/pwg-raster "number-up=2 sides=two-sided-long-edge printer-resolution=150dpi" "$work/j16.xps"
    expect_eq 0 "$status" "exit status ($(cat "$work/err"))"
    "$bin/tavpwginfo" "$work/out" >"$work/pages" || fail "the output is no PWG Raster"
    expect_eq 8 "$(grep -c '^page ' "$work/pages")" "PWG pages"
    expect_eq 8 "$(grep -c 'duplex=1 tumble=0' "$work/pages")" "duplex long-edge pages"
    ;;
escaped-options)
    # CUPS escapes blanks with backslashes; a custom PPD value comes as
    # Custom.TEXT. Pages 2 to 3 only; the watermark level, so that its text
    # reads back as one line.
    run_filter application/pdf 'watermark-text=Custom.TOP\ SECRET watermark-angle=0 page-ranges=2-3' "$work/j16.xps"
    expect_eq 0 "$status" "exit status ($(cat "$work/err"))"
    expect_eq 2 "$(pdf_pages "$work/out")" "PDF pages"
    expect_eq 2 "$(pdftotext "$work/out" - | grep -cx 'TOP SECRET')" "pages with the watermark"
    ;;
ppd-defaults)
    # The queue's PPD says booklet: 16 pages are 8 sides; a job's own
    # option wins over the PPD's.
    sed 's/^\*Defaultbooklet: .*/*Defaultbooklet: on/' "$1/share/ppd/tav/tav-xps.ppd" >"$work/queue.ppd"
    export PPD="$work/queue.ppd"
    run_filter application/vnd.cups-pdf ""
    expect_eq 0 "$status" "exit status ($(cat "$work/err"))"
    expect_eq 8 "$(pdf_pages "$work/out")" "PDF pages of the booklet"
    run_filter application/vnd.cups-pdf "booklet=off number-up=4"
    expect_eq 4 "$(pdf_pages "$work/out")" "PDF pages when the job says booklet=off"
    ;;
broken-job)
    # A package cut short: one ERROR line naming the job's document and the
    # reason, status 1, nothing printed.
    head -c 3000 "$work/j16.xps" >"$work/broken.xps"
    run_filter application/vnd.cups-pdf "" "$work/broken.xps"
    expect_eq 1 "$status" "exit status"
    expect_eq 0 "$(stat -c %s "$work/out")" "output bytes"
    expect_eq 1 "$(grep -c '^ERROR: Quarterly report: ' "$work/err")" "ERROR lines ($(cat "$work/err"))"
    run_filter application/vnd.cups-postscript ""
    expect_eq 1 "$status" "exit status for a PostScript queue"
    grep -q '^ERROR: .*application/vnd.cups-postscript' "$work/err" || fail "no ERROR naming the type"
    ;;
sigterm)
    # Stopped while it spools its input (the sender has not finished), the
    # filter ends at once, with nothing printed and no temporary file left.
    mkfifo "$work/in"
    FINAL_CONTENT_TYPE=application/pdf "$bin/tavfilter" 7 alice t 1 "" <"$work/in" >"$work/out" 2>"$work/err" &
    filter=$!
    exec 3>"$work/in"
    cat "$work/j16.xps" >&3
    sleep 0.5
    kill -TERM "$filter"
    for _ in $(seq 50); do kill -0 "$filter" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$filter" 2>/dev/null; then fail "the filter still runs 5 s after SIGTERM"; fi
    status=0
    wait "$filter" || status=$?
    exec 3>&-
    expect_eq 143 "$status" "exit status after SIGTERM"
    expect_eq 0 "$(stat -c %s "$work/out")" "output bytes"
    expect_eq "" "$(ls -A "$TMPDIR")" "files left in TMPDIR"
    ;;
*)
    fail "no case $case_name"
    ;;
esac
