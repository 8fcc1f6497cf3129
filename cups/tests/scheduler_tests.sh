#!/bin/bash
# Jobs printed through a private CUPS scheduler with the installed filter:
#   scheduler_tests.sh BUILD_DIR CASE
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

case "$case_name" in
file-queue)
    lpinfo -m | grep -q '^tav/tav-xps.ppd ' || fail "lpinfo -m does not list the installed PPD"
    lpadmin -p xpsfile -E -v "file://$work/xpsfile.pdf" -m tav/tav-xps.ppd
    job=$(submit xpsfile "$work/j16.xps" -o number-up=4)
    expect_eq completed "$(wait_job xpsfile "$job")" "job state"
    expect_eq 4 "$(pdf_pages "$work/xpsfile.pdf")" "sheets of 16 pages 4-up"
    ;;
*)
    fail "no case $case_name"
    ;;
esac
