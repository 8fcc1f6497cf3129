#!/bin/bash
# What `cmake --install` and the Debian package put on a machine:
#   install_tests.sh BUILD_DIR CASE
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

case "$case_name" in
installed-filter)
    # Where CUPS looks, the filter not writable by group or others, and it
    # runs from there, finding its modules beside it with no help.
    install_tree "$build"
    for file in usr/lib/cups/filter/tavfilter usr/share/cups/mime/tav.types usr/share/cups/mime/tav.convs \
        usr/share/ppd/tav/tav-xps.ppd usr/lib/tav/libtavrip.so usr/lib/tav/converters/render/3/libpcorectl.so; do
        [ -f "$root/$file" ] || fail "$file is not installed"
    done
    expect_eq 755 "$(stat -c %a "$root/usr/lib/cups/filter/tavfilter")" "mode of the filter"
    env -u TAV_MODULE_DIR -u LD_LIBRARY_PATH FINAL_CONTENT_TYPE=application/pdf \
        "$root/usr/lib/cups/filter/tavfilter" 1 alice t 1 number-up=4 "$work/j16.xps" >"$work/out.pdf" 2>"$work/err" ||
        fail "the installed filter fails: $(cat "$work/err")"
    expect_eq 4 "$(pdf_pages "$work/out.pdf")" "sheets of 16 pages 4-up"
    ;;
cupsfilter)
    # CUPS's offline filter runner, with the installed MIME files, PPD and
    # filter, gives what tavpipe gives for the same options.
    need cupsfilter
    install_tree "$build"
    conf="$work/conf"
    mkdir -p "$conf/etc" "$conf/bin/filter"
    chmod 755 "$conf" "$conf/bin" "$conf/bin/filter"
    for entry in /usr/lib/cups/filter/*; do ln -s "$entry" "$conf/bin/filter/"; done
    ln -s "$root/usr/lib/cups/filter/tavfilter" "$conf/bin/filter/tavfilter"
    for entry in /usr/share/cups/mime/*; do ln -s "$entry" "$conf/etc/"; done
    cp "$root/usr/share/cups/mime/tav.types" "$root/usr/share/cups/mime/tav.convs" "$conf/etc/"
    printf 'ServerBin %s\nServerRoot %s\n' "$conf/bin" "$conf/etc" >"$conf/etc/cups-files.conf"
    expect_eq tavfilter "$(cupsfilter -c "$conf/etc/cups-files.conf" -p "$root/usr/share/ppd/tav/tav-xps.ppd" -e \
        -m printer/tav --list-filters "$work/j16.xps" 2>/dev/null)" "filters of an XPS job"
    # Known by its content too: the part names among the first entries.
    cp "$work/j16.xps" "$work/job"
    expect_eq tavfilter "$(cupsfilter -c "$conf/etc/cups-files.conf" -m application/vnd.cups-pdf --list-filters \
        "$work/job" 2>/dev/null)" "filters of an XPS job without its extension"
    cupsfilter -c "$conf/etc/cups-files.conf" -p "$root/usr/share/ppd/tav/tav-xps.ppd" -e -m printer/tav \
        -o number-up=4 "$work/j16.xps" >"$work/out.pdf" 2>"$work/err" ||
        fail "cupsfilter fails: $(grep -E 'ERROR|tavfilter' "$work/err" | head -5)"
    "$bin/tavpipe" -q -o number-up=4 -o media=iso_a4_210x297mm "$work/j16.xps" "$work/expected.pdf"
    expect_eq 4 "$(pdf_pages "$work/out.pdf")" "sheets of 16 pages 4-up"
    [ "$(pdftotext "$work/expected.pdf" -)" = "$(pdftotext "$work/out.pdf" -)" ] || fail "the text differs from tavpipe's"
    ;;
debian-package)
    # The .deb CPack builds: the files of `cmake --install` under /usr, the
    # filter root's and mode 0755, depending on the scheduler and on the
    # libraries it links.
    need cpack dpkg-deb dpkg-shlibdeps
    (cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) ||
        fail "cpack fails: $(tail -5 "$work/cpack.log")"
    deb=$(find "$work/package" -maxdepth 1 -name '*.deb' | head -1)
    [ -n "$deb" ] || fail "cpack made no .deb: $(tail -5 "$work/cpack.log")"
    dpkg-deb -c "$deb" >"$work/contents"
    grep -qE '^-rwxr-xr-x root/root .* \./usr/lib/cups/filter/tavfilter$' "$work/contents" ||
        fail "no root-owned 0755 filter: $(grep tavfilter "$work/contents")"
    for file in usr/share/cups/mime/tav.types usr/share/cups/mime/tav.convs usr/share/ppd/tav/tav-xps.ppd \
        usr/lib/tav/libtavplatform.so usr/lib/tav/libtavprep.so usr/lib/tav/converters/render/3/libpcoreconv.so; do
        grep -q " \./$file\$" "$work/contents" || fail "the package lacks /$file"
    done
    if grep -qE 'bin/|/include/|tests' "$work/contents"; then fail "the package holds more than the queue needs"; fi
    depends=$(dpkg-deb -f "$deb" Depends)
    for package in cups-daemon libcups2 libcairo2 libxml2 libzip4 libstdc++6; do
        [[ "$depends" == *"$package"* ]] || fail "the package does not depend on $package: $depends"
    done
    ;;
*)
    fail "no case $case_name"
    ;;
esac
