#!/bin/bash
# The PPD made at build time passes cupstestppd and declares the options
# `tavpipe options` lists, with the same values and defaults:
#   ppd_tests.sh BUILD_DIR
set -euo pipefail
. "$(dirname "$0")/test_lib.sh"
bin="$1/bin"
ppd="$1/share/ppd/tav/tav-xps.ppd"
need cupstestppd
make_work_dir

cupstestppd -q "$ppd" || fail "cupstestppd refuses $ppd: $(cupstestppd "$ppd" 2>&1 | grep FAIL)"

# Options the scheduler passes from a job's IPP attributes or fills itself,
# and media and sides, declared as PageSize and Duplex.
left_out=" media sides orientation-requested number-up page-ranges printer-resolution print-color-mode"
left_out+=" job-originating-user-name job-originating-host-name output-format "

"$bin/tavpipe" options >"$work/listing"
[ -s "$work/listing" ] || fail "tavpipe options lists nothing"

# The choices of one PPD option, sorted, one a line.
choices()
{
    sed -n "s/^\*$1 \([^/:]*\)[/:].*/\1/p" "$ppd" | sort
}
ppd_default()
{
    sed -n "s/^\*Default$1: *//p" "$ppd"
}

declared=0
while IFS= read -r line; do
    name="${line%%/*}"
    description="${line#*/}"
    description="${description%%: *}"
    values="${line#*: }"
    if [[ "$left_out" == *" $name "* ]]; then
        if grep -q "^\*OpenUI \*$name[/:]" "$ppd"; then fail "$name is declared, but the scheduler gives it"; fi
        continue
    fi
    grep -qxF "*OpenUI *$name/$description: PickOne" "$ppd" || fail "no PickOne $name/$description in the PPD"
    declared=$((declared + 1))
    default=None
    keywords=""
    has_argument=no
    for value in $values; do
        if [[ "$value" == \** ]]; then
            default="${value#\*}"
            keywords+="$default"$'\n'
        elif [[ "$value" == *'('* || "$value" == *:* || "$value" =~ [A-Z][A-Z] ]]; then
            has_argument=yes
        else
            keywords+="$value"$'\n'
        fi
    done
    [ "$default" = None ] && keywords+="None"$'\n'
    expect_eq "$default" "$(ppd_default "$name")" "default of $name"
    expect_eq "$(printf '%s' "$keywords" | sort)" "$(choices "$name")" "choices of $name"
    if [ "$has_argument" = yes ]; then
        grep -qxF "*Custom$name True: \"\"" "$ppd" || fail "$name takes values of its own, but has no custom value"
    else
        if grep -q "^\*Custom$name " "$ppd"; then fail "$name has a custom value, but takes keywords only"; fi
    fi
done <"$work/listing"

# Nothing else: every option of the PPD is one of the listing, or a
# standard keyword.
ppd_options=$(sed -n 's/^\*OpenUI \*\([^/:]*\).*/\1/p' "$ppd" | grep -vxE 'PageSize|PageRegion|Duplex' | wc -l)
expect_eq "$declared" "$ppd_options" "options in the PPD"

# PageSize: each named media of the listing, at its size in points.
media=$(grep '^media/' "$work/listing")
for size in ${media#*: }; do
    [[ "$size" == custom_* ]] && continue
    grep -q "^\*PageSize $size:" "$ppd" || fail "no PageSize $size"
done
grep -qxF '*PaperDimension iso_a4_210x297mm: "595.28 841.89"' "$ppd" || fail "A4 is not 595.28 x 841.89 points"
grep -qxF '*PaperDimension na_letter_8.5x11in: "612 792"' "$ppd" || fail "Letter is not 612 x 792 points"
expect_eq "$(printf 'DuplexNoTumble\nDuplexTumble\nNone')" "$(choices Duplex)" "Duplex choices"
