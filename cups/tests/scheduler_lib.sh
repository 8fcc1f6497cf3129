# A private CUPS scheduler for the tests, on loopback and a socket of its
# own, with the files `cmake --install` gives installed under $work/root,
# and virtual IPP Everywhere printers (ippeveprinter) beside it. Every
# process started here is stopped at exit.

# install_tree BUILD_DIR: `cmake --install` into $work/root, prefix /usr.
install_tree()
{
    DESTDIR="$work/root" cmake --install "$1" --prefix /usr >"$work/install.log" 2>&1 ||
        fail "cmake --install failed: $(tail -3 "$work/install.log")"
    root="$work/root"
}

free_port()
{
    local port
    for _ in $(seq 20); do
        port=$((20000 + RANDOM % 30000))
        if ! (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return
        fi
    done
    skip "no free loopback port"
}

# stop_process PID: SIGTERM, then SIGKILL after 5 s.
stop_process()
{
    kill -TERM "$1" 2>/dev/null || return 0
    for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    kill -KILL "$1" 2>/dev/null || true
}

# start_scheduler: cupsd in the foreground on a free port; exports
# CUPS_SERVER for the clients. The scheduler's folders are under $work/cups;
# its filter folder holds the system's filters and the installed tavfilter,
# its data folder the system's data and the installed PPDs as models.
start_scheduler()
{
    need cupsd lpadmin lpstat lp cancel ipptool
    local cups="$work/cups"
    mkdir -p "$cups/etc/ppd" "$cups/bin/filter" "$cups/data" "$cups/spool/tmp" "$cups/cache" "$cups/state" \
        "$cups/log"
    chmod 755 "$cups" "$cups/bin" "$cups/bin/filter" "$cups/data"
    local entry
    for entry in /usr/lib/cups/*; do
        [ "$(basename "$entry")" = filter ] || ln -s "$entry" "$cups/bin/"
    done
    for entry in /usr/lib/cups/filter/*; do ln -s "$entry" "$cups/bin/filter/"; done
    ln -s "$root/usr/lib/cups/filter/tavfilter" "$cups/bin/filter/tavfilter"
    for entry in /usr/share/cups/*; do
        [ "$(basename "$entry")" = model ] || ln -s "$entry" "$cups/data/"
    done
    mkdir "$cups/data/model"
    ln -s "$root/usr/share/ppd/tav" "$cups/data/model/tav"
    cp "$root/usr/share/cups/mime/tav.types" "$root/usr/share/cups/mime/tav.convs" "$cups/etc/"
    port=$(free_port)
    cat >"$cups/etc/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
Listen $cups/cups.sock
Browsing No
DefaultAuthType None
WebInterface No
LogLevel debug
MaxLogSize 0
JobRetryLimit 0
<Location />
  Order allow,deny
  Allow localhost
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    local account="User lp
Group lp"
    [ "$(id -u)" = 0 ] || account="SystemGroup $(id -gn)"
    cat >"$cups/etc/cups-files.conf" <<CONF
$account
ServerRoot $cups/etc
ServerBin $cups/bin
DataDir $cups/data
RequestRoot $cups/spool
TempDir $cups/spool/tmp
CacheDir $cups/cache
StateDir $cups/state
AccessLog $cups/log/access_log
ErrorLog $cups/log/error_log
PageLog $cups/log/page_log
FileDevice Yes
# The sanitizer settings the tests run under apply to the filters too.
PassEnv ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS
CONF
    cupsd -t -c "$cups/etc/cupsd.conf" -s "$cups/etc/cups-files.conf" >"$work/cupsd-check.log" 2>&1 ||
        skip "cupsd refuses its configuration: $(tail -2 "$work/cupsd-check.log")"
    cupsd -f -c "$cups/etc/cupsd.conf" -s "$cups/etc/cups-files.conf" >"$work/cupsd.log" 2>&1 &
    cupsd_pid=$!
    on_exit "stop_process $cupsd_pid"
    export CUPS_SERVER="127.0.0.1:$port" HOME="$work"
    for _ in $(seq 100); do
        lpstat -r >/dev/null 2>&1 && { scheduler_log="$cups/log/error_log"; return; }
        kill -0 "$cupsd_pid" 2>/dev/null || break
        sleep 0.1
    done
    skip "the scheduler does not start here: $(tail -3 "$cups/log/error_log" "$work/cupsd.log" 2>/dev/null)"
}

# start_ipp_printer NAME FORMATS: an ippeveprinter on loopback taking
# FORMATS, keeping every document in $work/NAME; sets ipp_port. Its
# private D-Bus (the Debian build wants one) is started once.
start_ipp_printer()
{
    need ippeveprinter dbus-daemon
    if [ -z "${DBUS_SYSTEM_BUS_ADDRESS:-}" ] || [ -z "${dbus_pid:-}" ]; then
        dbus-daemon --session --address="unix:path=$work/dbus.sock" --nofork --nopidfile >"$work/dbus.log" 2>&1 &
        dbus_pid=$!
        on_exit "stop_process $dbus_pid"
        export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/dbus.sock"
        for _ in $(seq 50); do [ -S "$work/dbus.sock" ] && break; sleep 0.1; done
    fi
    mkdir -p "$work/$1"
    ipp_port=$(free_port)
    ippeveprinter -n localhost -p "$ipp_port" -d "$work/$1" -k -2 -r off -f "$2" -c /bin/true "$1" \
        >"$work/$1.log" 2>&1 &
    local pid=$!
    on_exit "stop_process $pid"
    for _ in $(seq 100); do
        ipptool -q "ipp://localhost:$ipp_port/ipp/print" get-printer-attributes.test 2>/dev/null && return
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    skip "ippeveprinter does not start here: $(tail -3 "$work/$1.log")"
}

# admin ARGUMENTS...: lpadmin, whose notice that printer drivers are
# deprecated is left out.
admin()
{
    lpadmin "$@" 2>"$work/lpadmin.err" || fail "lpadmin $*: $(cat "$work/lpadmin.err")"
}

# submit QUEUE FILE OPTIONS...: prints the job id.
submit()
{
    local queue="$1" file="$2"
    shift 2
    local answer
    answer=$(lp -d "$queue" "$@" "$file") || fail "lp refuses the job: $answer"
    echo "$answer" | sed -n 's/^request id is [^ ]*-\([0-9]*\) .*/\1/p'
}

# job_attribute QUEUE JOB NAME: one attribute of a job, from the scheduler.
job_attribute()
{
    cat >"$work/get-job.test" <<TEST
{
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR integer job-id \$job_id
  ATTR name requesting-user-name \$user
  ATTR keyword requested-attributes all
  STATUS successful-ok
  DISPLAY $3
}
TEST
    ipptool -c -d job_id="$2" "ipp://127.0.0.1:$port/printers/$1" "$work/get-job.test" 2>/dev/null |
        sed -n '2p'
}

# wait_job QUEUE JOB: waits (up to 60 s) until the job has ended or stopped;
# prints its job-state keyword.
wait_job()
{
    local state
    for _ in $(seq 600); do
        state=$(job_attribute "$1" "$2" job-state)
        case "$state" in
        completed | canceled | aborted | processing-stopped) echo "$state"; return ;;
        esac
        sleep 0.1
    done
    echo "still-$state"
}

# expect_completed PRINTER JOB WHAT: the job ends completed; otherwise the
# failure shows its state message and the scheduler's last lines about it,
# where the filter's own messages are.
expect_completed()
{
    local state
    state=$(wait_job "$1" "$2")
    [ "$state" = completed ] && return
    fail "$3: expected 'completed', got '$state' ($(job_attribute "$1" "$2" job-printer-state-message))
$(grep -F "[Job $2]" "$scheduler_log" | tail -20)"
}

# wait_kept FOLDER TITLE: the document ippeveprinter kept for the job of
# that title (N-TITLE.EXT; N-TITLE.prn is what its print command wrote),
# once it is there (up to 30 s).
wait_kept()
{
    local kept
    for _ in $(seq 300); do
        kept=$(find "$1" -name "*-$2.*" ! -name '*.prn' | head -1)
        [ -n "$kept" ] && { echo "$kept"; return; }
        sleep 0.1
    done
    fail "the printer kept no document for $2: $(ls "$1")"
}
