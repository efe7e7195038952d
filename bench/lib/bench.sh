# Shared by the check benchmarks (bench/check-throughput, bench/check-far); sourced, not run.
# The caller sets root (the source tree, the current folder), bench_name (for messages),
# bench_targets (more build targets, an array) and max (how many mails). This builds
# tolvane-cli, the private Dovecot server and the reference client (cli, server, reference),
# makes a scratch folder (work, removed at exit) with the mails $work/mail/000001.eml ...,
# and defines start_server, stop_server, write_account, check_in, time_once and best.
#
# Environment: TOLVANE_BUILD_DIR (default build) is the build folder.
build=${TOLVANE_BUILD_DIR:-build}
if ! { [[ -f $build/CMakeCache.txt ]] || cmake -S . -B "$build" -G Ninja; } >"${TMPDIR:-/tmp}/tolvane-bench-build.log" 2>&1 ||
    ! cmake --build "$build" --target tolvane-cli tool_demo_server tool_reference_client \
        "${bench_targets[@]}" \
        >>"${TMPDIR:-/tmp}/tolvane-bench-build.log" 2>&1; then
    cat "${TMPDIR:-/tmp}/tolvane-bench-build.log" >&2
    exit 1
fi
rm -f "${TMPDIR:-/tmp}/tolvane-bench-build.log"
build=$(cd "$build" && pwd)
cli=$build/cli/tolvane-cli
server=$build/bench/tool_demo_server
reference=$build/bench/tool_reference_client

# Mail and the server's maildir live in memory where possible: the figures are about the
# client, not the disk.
scratch=${TMPDIR:-/tmp}
[[ -d /dev/shm && -w /dev/shm ]] && scratch=/dev/shm
work=$(mktemp -d "$scratch/tolvane-bench.XXXXXX")
chmod 711 "$work" # the server's mail processes may run as another user (root runs them as nobody)
server_pid=
stop_server() {
    if [[ -n $server_pid ]]; then
        exec {server_in}>&- 2>/dev/null || true
        kill -TERM "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
        server_pid=
    fi
}
trap 'stop_server; rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

export LC_ALL=C.UTF-8 XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
user=bench
password=bench-pass

# The mailbox: the demo mails (Japanese text and headers, one multipart, one with
# X-UIDL) in turn, each behind a realistic set of transport headers and with its own
# Message-ID, date and X-UIDL, so that no two messages are alike.
mkdir -p "$work/mail"
templates=() with_uidl=()
for file in "$root"/resources/demo/*.eml; do
    templates+=("$(grep -v -e '^Message-ID:' -e '^X-UIDL:' -e '^Date:' "$file")")
    grep -q '^X-UIDL:' "$file" && with_uidl+=(1) || with_uidl+=(0)
done
weekdays=(Sun Mon Tue Wed Thu Fri Sat)
for ((i = 1; i <= max; i++)); do
    k=$((i % ${#templates[@]}))
    printf -v name '%06d' "$i"
    day=$((1 + i % 28)) hour=$((i % 24)) minute=$((i % 60))
    date="${weekdays[(day + 5) % 7]}, $day Jun 2024" # 1 June 2024 was a Saturday
    {
        printf 'Received: from mx%d.example.jp (mx%d.example.jp [192.0.2.%d])\n' \
            $((i % 4)) $((i % 4)) $((i % 250 + 1))
        printf '\tby pop.midori.example.jp with ESMTP id 4W%06dZ\n' "$i"
        printf '\tfor <yamada@midori.example.jp>; %s %02d:%02d:11 +0900\n' \
            "$date" "$hour" "$minute"
        printf 'Received: from localhost (localhost [127.0.0.1])\n'
        printf '\tby mx%d.example.jp with SMTP id b%08x; %s %02d:%02d:10 +0900\n' \
            $((i % 4)) "$i" "$date" "$hour" "$minute"
        printf 'Date: %s %02d:%02d:09 +0900\n' "$date" "$hour" "$minute"
        printf 'Message-ID: <%08d.bench@midori.example.jp>\n' "$i"
        ((with_uidl[k])) && printf 'X-UIDL: bench%08d\n' "$i"
        printf '%s\n' "${templates[k]}"
    } >"$work/mail/$name.eml"
done
unset templates with_uidl

start_server() { # mail files
    coproc SERVER { TMPDIR=$work exec "$server" --user "$user" --password "$password" --tls "$@"; }
    server_pid=$SERVER_PID
    server_in=${SERVER[1]}
    local word value
    port= tls_port= authority=
    while read -r -t 120 word value <&"${SERVER[0]}"; do
        case $word in
        PORT) port=$value ;;
        TLSPORT) tls_port=$value ;;
        AUTHORITY) authority=$value && break ;;
        esac
    done
    [[ -n $port && -n $tls_port && -f $authority ]] ||
        { echo "$bench_name: the POP3 server did not start" >&2; exit 1; }
    # tolvane-cli trusts the run's own authority, and nothing else.
    mkdir -p "$work/no-certs"
    export SSL_CERT_FILE=$authority SSL_CERT_DIR=$work/no-certs
}

write_account() { # home port security [settings line...]
    local key='HKEY_CURRENT_USER\Software\Orrindale\Tolvane' dir=$1/config/tolvane
    rm -rf "$1"
    mkdir -p "$dir" "$1/data"
    chmod 700 "$1" "$1/config" "$dir" "$1/data"
    (
        umask 077
        printf 'REGEDIT4\n\n[%s]\n\n[%s\\Account]\n\n[%s\\Account\\bench]\n' "$key" "$key" "$key"
        printf '"Servername"="127.0.0.1"\n"Username"="%s"\n"Password"="%s"\n' "$user" "$password"
        printf '"PortNo"=dword:%08x\n"ReceiveCount"=dword:0000000a\n"Timeout"=dword:0000003c\n' "$2"
        printf '"SimpleDelete"=dword:00000000\n"Enable"=dword:00000001\n'
        printf '"ReceiveNewMailOnly"=dword:00000000\n"LimitDelete"=dword:00000000\n'
        printf '"LimitDays"=dword:00000005\n"ConfLimitDelete"=dword:00000001\n'
        printf '"Security"=dword:%08x\n' "$3"
        shift 3
        if (($#)); then
            printf '%s\n' "$@"
        fi
    ) >"$dir/user.reg"
}

check_in() { # home
    XDG_CONFIG_HOME=$1/config XDG_DATA_HOME=$1/data "$cli" check --quiet
}

# Runs the command once and prints its wall-clock and CPU (user + system) seconds; the
# output goes to a file that is shown when the command fails.
time_once() {
    local TIMEFORMAT='%3R %3U %3S' timing
    if ! { timing=$( { time "$@" >"$work/out" 2>&1; } 2>&1); }; then
        echo "$bench_name: failed: $*" >&2
        tail -n 20 "$work/out" >&2
        exit 1
    fi
    awk -v t="$timing" 'BEGIN { split(t, v, " "); printf "%.3f %.3f\n", v[1], v[2] + v[3] }'
}

# The smallest value of the given column (1 wall, 2 CPU) of the timings.
best() { local column=$1; shift; printf '%s\n' "$@" | awk -v c="$column" '{ print $c }' | sort -g | head -n 1; }
