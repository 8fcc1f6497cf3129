# Shared by the CUPS filter's shell tests: a private work folder removed at
# exit, failing and skipping (ctest takes status 77 as skipped), and the
# independent readers the results are checked with.

SKIP_STATUS=77

fail()
{
    echo "FAIL: $*" >&2
    exit 1
}

skip()
{
    echo "SKIPPED: $*" >&2
    exit $SKIP_STATUS
}

# Cleanup commands run at exit, last registered first.
cleanups=()
on_exit()
{
    cleanups=("$*" "${cleanups[@]}")
}
run_cleanups()
{
    local command
    for command in "${cleanups[@]}"; do eval "$command" || true; done
}
trap run_cleanups EXIT
trap 'exit 143' TERM INT

make_work_dir()
{
    work=$(mktemp -d "${TMPDIR:-/tmp}/tavcups.XXXXXX")
    chmod 755 "$work"
    on_exit "rm -rf '$work'"
}

need()
{
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/install-deps)"
    done
}

expect_eq()
{
    [ "$1" = "$2" ] || fail "$3: expected '$1', got '$2'"
}

pdf_pages()
{
    pdfinfo "$1" 2>/dev/null | sed -n 's/^Pages: *//p'
}
