# Shared by scripts/demo and scripts/screenshots (sourced, not run): a private Dovecot
# POP3 server with the demo mails, and a private settings and data folder whose one
# account "デモ" points at it. Needs: $root (the source tree), $build (the build folder).

demo_user=yamada
demo_password=midori-demo

# start_demo_server: starts tool_demo_server with resources/demo/*.eml and sets
# $demo_port. The server stops when this shell's end of its standard input closes, so
# also when the calling script is killed; stop_demo_server stops it at once.
start_demo_server() {
    coproc DEMO_SERVER { exec "$build/bench/tool_demo_server" --user "$demo_user" \
        --password "$demo_password" --dir "$root/resources/demo"; }
    demo_server_pid=$DEMO_SERVER_PID
    demo_server_in=${DEMO_SERVER[1]}
    demo_port=
    if read -r -t 60 word value <&"${DEMO_SERVER[0]}" && [[ $word == PORT ]]; then
        demo_port=$value
    fi
    [[ -n $demo_port ]]
}

stop_demo_server() {
    exec {demo_server_in}>&- 2>/dev/null || true
    kill -TERM "$demo_server_pid" 2>/dev/null || true
    wait "$demo_server_pid" 2>/dev/null || true
}

# make_demo_home FOLDER: a fresh private settings and data folder with the demo account
# (new mail only, 10 preview lines, today's mail decoded, its password from a command,
# checked at start-up); exports XDG_CONFIG_HOME and
# XDG_DATA_HOME into it. (XDG_RUNTIME_DIR stays: the desktop's sockets live there, and
# Tolvane keys its single instance by the data folder anyway.)
make_demo_home() {
    local home=$1
    rm -rf "$home"
    mkdir -p "$home/config/tolvane" "$home/data"
    chmod 700 "$home" "$home/config" "$home/config/tolvane" "$home/data"
    export XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data
    local key='HKEY_CURRENT_USER\Software\Orrindale\Tolvane'
    reg_dword() { printf '"%s"=dword:%08x\n' "$1" "$2"; }
    (
        printf 'REGEDIT4\n\n'
        printf '[%s]\n\n' "$key"
        printf '[%s\\Account]\n\n' "$key"
        printf '[%s\\Account\\デモ]\n' "$key"
        printf '"Servername"="127.0.0.1"\n'
        printf '"Username"="%s"\n' "$demo_user"
        # From a command, so that the demo's password never goes into the user's keyring.
        reg_dword PasswordStore 2
        printf '"PasswordCommand"="printf %s"\n' "$demo_password"
        reg_dword PortNo "$demo_port"
        reg_dword ReceiveCount 10
        reg_dword Timeout 30
        reg_dword SimpleDelete 0
        reg_dword Enable 1
        reg_dword ReceiveNewMailOnly 1
        reg_dword LimitDelete 0
        reg_dword LimitDays 5
        reg_dword ConfLimitDelete 1
        reg_dword Decode 1
        printf '\n[%s\\Option]\n' "$key"
        reg_dword FirstCheck 1
    ) | (umask 077 && cat >"$home/config/tolvane/user.reg")
}
