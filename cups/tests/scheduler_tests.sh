#!/bin/bash
# Jobs printed through a private CUPS scheduler with the installed filter:
#   scheduler_tests.sh BUILD_DIR CASE
# The printed output is checked against what tavpipe prints for the same
# options and against counts worked out by hand.
set -euo pipefail
here=$(dirname "$0")
. "$here/test_lib.sh"
. "$here/scheduler_lib.sh"
build="$1"
bin="$build/bin"
case_name="$2"
need pdfinfo pdftotext
make_work_dir
"$bin/tavmakejob" -n 16 "$work/j16.xps"
install_tree "$build"
start_scheduler

# print_to_file FILE OPTIONS...: one job on the file queue; its output is
# $work/printed.pdf.
print_to_file()
{
    local file="$1" job
    shift
    rm -f "$work/printed.pdf"
    job=$(submit xpsfile "$file" "$@")
    expect_completed xpsfile "$job" "state of the job $*"
}

# same_as_tavpipe FILE OPTIONS...: $work/printed.pdf has the pages and the
# text tavpipe gives on the queue's default media.
same_as_tavpipe()
{
    local file="$1"
    shift
    local options=(-o media=iso_a4_210x297mm)
    while [ $# -gt 0 ]; do options+=("$1" "$2"); shift 2; done
    "$bin/tavpipe" -q "${options[@]}" "$file" "$work/expected.pdf" 2>"$work/tavpipe.err" ||
        fail "tavpipe ${options[*]}: $(cat "$work/tavpipe.err")"
    expect_eq "$(pdf_pages "$work/expected.pdf")" "$(pdf_pages "$work/printed.pdf")" "pages of ${options[*]}"
    [ "$(pdftotext "$work/expected.pdf" -)" = "$(pdftotext "$work/printed.pdf" -)" ] ||
        fail "the text of ${options[*]} differs from tavpipe's"
}

case "$case_name" in
file-queue)
    # A file queue made from the installed PPD as lpinfo lists it.
    lpinfo -m | grep -q '^tav/tav-xps.ppd ' || fail "lpinfo -m does not list the installed PPD"
    admin -p xpsfile -E -v "file://$work/printed.pdf" -m tav/tav-xps.ppd
    "$bin/tavmakejob" -n 3 "$work/j3.xps"
    "$bin/tavmakejob" -n 3 -x "$work/j3.oxps"
    # 16 pages 4-up are 4 sheets, imposed once (not 16 pages on one).
    print_to_file "$work/j16.xps" -o number-up=4
    expect_eq 4 "$(pdf_pages "$work/printed.pdf")" "sheets of 16 pages 4-up"
    same_as_tavpipe "$work/j16.xps" -o number-up=4
    # A 3-page document as a booklet: one sheet, two sides.
    print_to_file "$work/j3.xps" -o booklet=on
    expect_eq 2 "$(pdf_pages "$work/printed.pdf")" "sides of a 3-page booklet"
    same_as_tavpipe "$work/j3.xps" -o booklet=on
    # A watermark with a blank, quoted as users quote it, on every page.
    print_to_file "$work/j16.xps" -o "watermark-text='TOP SECRET'" -o watermark-angle=0
    expect_eq 16 "$(pdftotext "$work/printed.pdf" - | grep -cx 'TOP SECRET')" "pages with the watermark"
    # Pages 2 to 3 of an OpenXPS document.
    print_to_file "$work/j3.oxps" -o page-ranges=2-3
    expect_eq 2 "$(pdf_pages "$work/printed.pdf")" "pages 2 to 3"
    same_as_tavpipe "$work/j3.oxps" -o page-ranges=2-3
    # The real documents, when they are here: 4-up and as booklets, as
    # tavpipe prints them.
    fixtures="${TAV_FIXTURES:-$here/../../../shared/fixtures}/xps"
    for document in mb06.xps mb06.oxps mb01.xps mb08.xps; do
        [ -f "$fixtures/$document" ] || continue
        print_to_file "$fixtures/$document" -o number-up=4
        same_as_tavpipe "$fixtures/$document" -o number-up=4
        print_to_file "$fixtures/$document" -o booklet=on
        same_as_tavpipe "$fixtures/$document" -o booklet=on
    done
    # The queue's own default, set with lpadmin, applies to every job.
    admin -p xpsfile -o number-up-default=2
    print_to_file "$work/j16.xps"
    expect_eq 8 "$(pdf_pages "$work/printed.pdf")" "sheets of 16 pages with the queue's 2-up"
    ;;
ipp-pdf)
    # An IPP Everywhere printer taking PDF: 16 pages 4-up reach it as 4.
    start_ipp_printer pdfprinter application/pdf
    admin -p xpspdf -E -v "ipp://localhost:$ipp_port/ipp/print" -m everywhere
    job=$(submit xpspdf "$work/j16.xps" -o number-up=4 -t four-up)
    expect_completed xpspdf "$job" "job state"
    kept=$(wait_kept "$work/pdfprinter" four-up)
    expect_eq 4 "$(pdf_pages "$kept")" "sheets the printer got"
    ;;
ipp-pwg)
    # An IPP Everywhere printer taking only PWG Raster: two-sided 4-up
    # arrives as 4 duplex sheets, from our filter alone.
    start_ipp_printer pwgprinter image/pwg-raster
    admin -p xpspwg -E -v "ipp://localhost:$ipp_port/ipp/print" -m everywhere
    job=$(submit xpspwg "$work/j16.xps" -o number-up=4 -o sides=two-sided-long-edge -t four-up)
    expect_completed xpspwg "$job" "job state"
    kept=$(wait_kept "$work/pwgprinter" four-up)
    "$bin/tavpwginfo" "$kept" >"$work/pages" || fail "the printer got no PWG Raster"
    expect_eq 4 "$(grep -c '^page ' "$work/pages")" "sheets the printer got"
    expect_eq 4 "$(grep -c 'duplex=1 tumble=0' "$work/pages")" "long-edge duplex sheets"
    # The sheets tavpipe draws on the queue's default media (Letter), page
    # by page the same size and ink.
    "$bin/tavpipe" -q -o number-up=4 -o sides=two-sided-long-edge -o media=Letter "$work/j16.xps" \
        "$work/expected.pwg" 2>/dev/null || fail "tavpipe cannot print the job to PWG Raster"
    expect_eq "$("$bin/tavpwginfo" "$work/expected.pwg")" "$(cat "$work/pages")" "sheets against tavpipe's"
    grep -q "tavfilter" "$scheduler_log" || fail "the job did not go through tavfilter"
    if grep -q "gstoraster\|pdftopdf" "$scheduler_log"; then fail "the job went through CUPS's PDF filters too"; fi
    ;;
broken-job)
    # A broken package stops its job with our reason, prints nothing, and
    # the next job prints.
    admin -p xpsfile -E -v "file://$work/printed.pdf" -m tav/tav-xps.ppd
    head -c 3000 "$work/j16.xps" >"$work/broken.xps"
    job=$(submit xpsfile "$work/broken.xps" -t "Broken report")
    expect_eq processing-stopped "$(wait_job xpsfile "$job")" "state of the broken job"
    reason="Broken report: not a zip archive (or a truncated one)"
    expect_eq "$reason" "$(job_attribute xpsfile "$job" job-printer-state-message)" "state message"
    grep -qF "[Job $job] $reason" "$scheduler_log" || fail "the scheduler's log lacks the reason"
    if [ -s "$work/printed.pdf" ]; then fail "the broken job printed something"; fi
    cancel "$job"
    cupsenable xpsfile
    print_to_file "$work/j16.xps" -o number-up=2
    expect_eq 8 "$(pdf_pages "$work/printed.pdf")" "sheets of the next job"
    ;;
ten-jobs)
    # Ten jobs sent at once, each with options of its own, all print as
    # their options say: N-up k gives ceil(16 / k) sheets, page-ranges
    # 1-n then n pages.
    start_ipp_printer pdfprinter application/pdf
    admin -p xpspdf -E -v "ipp://localhost:$ipp_port/ipp/print" -m everywhere
    ups=(1 2 4 6 9 16 1 1 2 4)
    ranges=(all all all all all all 1-3 5-9 1-5 all)
    expected=(16 8 4 3 2 1 3 5 3 4)
    senders=()
    for i in $(seq 0 9); do
        options=(-o "number-up=${ups[$i]}" -t "job$i")
        [ "${ranges[$i]}" = all ] || options+=(-o "page-ranges=${ranges[$i]}")
        lp -d xpspdf "${options[@]}" "$work/j16.xps" >"$work/lp$i.out" 2>&1 &
        senders+=($!)
    done
    for i in $(seq 0 9); do wait "${senders[$i]}" || fail "lp refuses job$i: $(cat "$work/lp$i.out")"; done
    for i in $(seq 0 9); do
        job=$(sed -n 's/^request id is [^ ]*-\([0-9]*\) .*/\1/p' "$work/lp$i.out")
        expect_completed xpspdf "$job" "state of job$i"
        kept=$(wait_kept "$work/pdfprinter" "job$i")
        expect_eq "${expected[$i]}" "$(pdf_pages "$kept")" "sheets of job$i (${ups[$i]}-up, pages ${ranges[$i]})"
    done
    ;;
*)
    fail "no case $case_name"
    ;;
esac
