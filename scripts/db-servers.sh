# Sourced: throw-away database servers for the SQL ledger's tests and benchmark, one PostgreSQL 15
# and one MariaDB, each on a free loopback port, with a user, a password and a database `zq`.
#   zq_db_start [pg] [mariadb]   starts them (both by default) and exports, for each one started,
#                                ZQ_TEST_PG / ZQ_TEST_MARIADB (ODBC connection strings) and
#                                ZQ_TEST_PG_CONTROL / ZQ_TEST_MARIADB_CONTROL (a command that
#                                takes `stop` or `start`, to cut and restore a server mid-test),
#                                and ZQ_TEST_PG_STATION / ZQ_TEST_PG_AUDITOR (and _MARIADB_):
#                                two more logins, `zq_station` and `zq_auditor`, that hold no
#                                privilege until a test grants them a role with the owner's
#                                `ledger grant` (the owner `zq` may grant: on MariaDB it holds
#                                GRANT OPTION)
#   zq_db_start skewed           a MariaDB server whose clock runs 400 days ahead of this machine's
#                                (libfaketime), named in ZQ_TEST_SKEWED: a format's date is the
#                                server's, never the station's (started by default when
#                                libfaketime is installed)
#   zq_db_stop                   stops them and removes their folders
# The caller stops them on every way out: trap 'zq_db_stop' EXIT.
# Executed instead of sourced, `bash scripts/db-servers.sh SERVER_FOLDER stop|start` stops or
# starts one server again with its data kept (what the _CONTROL variables run).
# Every server writes to files under its folder, never to the caller's output: a server holding
# a pipe would keep it open after the caller ends.

zq_db_root=""
zq_db_servers=()

# The servers refuse to run as root: PostgreSQL runs as `postgres`, MariaDB as `mysql`, and
# both must reach their folders. Each caller gets a folder of its own, so that a test run and a
# benchmark run at once; the servers and folder of a caller that was killed are removed by the
# next one. Sockets keep to a short path (the kernel's limit is 107 bytes).
zq_db_make_root() {
    local repo base stale
    repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    base="$repo/build/db-servers"
    mkdir -p "$base"
    chmod 711 "$base"
    for stale in "$base"/run.*; do
        [ -f "$stale/owner" ] && ! kill -0 "$(cat "$stale/owner")" 2>/dev/null || continue
        zq_db_server_down "$stale/pg"
        zq_db_server_down "$stale/mariadb"
        rm -rf "$stale"
    done
    zq_db_root=$(mktemp -d "$base/run.XXXXXX")
    chmod 711 "$zq_db_root"
    if [ ${#zq_db_root} -gt 70 ] || ! runuser -u postgres -- test -x "$zq_db_root" ||
        ! runuser -u mysql -- test -x "$zq_db_root"; then
        rm -rf "$zq_db_root"
        zq_db_root=$(mktemp -d /tmp/zq-db.XXXXXX)
        chmod 711 "$zq_db_root"
    fi
    echo $$ >"$zq_db_root/owner"
}

zq_db_free_port() {
    local port
    while :; do
        port=$((20000 + RANDOM % 25000))
        # Nothing answering there: free enough (a server that then cannot bind it is retried).
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return 0
        fi
    done
}

zq_db_password() {
    echo "zq-$(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')"
}

# One server's settings, kept in its folder so that the control command can restart it.
zq_db_write_settings() {
    local dir=$1 kind=$2 port=$3 clock=${4:-}
    printf 'kind=%s\nport=%s\nclock=%s\n' "$kind" "$port" "$clock" >"$dir/settings"
}

zq_db_faketime=/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1

zq_db_server_running() {
    local dir=$1 pid
    pid=$(head -n 1 "$dir/server.pid" "$dir/data/postmaster.pid" 2>/dev/null | grep -E '^[0-9]+$' |
        head -n 1)
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null
}

# Starts a server (again) on its port; one already running is left as it is.
zq_db_server_up() {
    local dir=$1 kind port clock
    kind=$(sed -n 's/^kind=//p' "$dir/settings")
    port=$(sed -n 's/^port=//p' "$dir/settings")
    clock=$(sed -n 's/^clock=//p' "$dir/settings")
    zq_db_server_running "$dir" && return 0
    # A server on a clock of its own: the wall clock moved, its timers left alone.
    local skew=()
    if [ -n "$clock" ]; then
        skew=(env "LD_PRELOAD=$zq_db_faketime" "FAKETIME=$clock" FAKETIME_DONT_FAKE_MONOTONIC=1)
    fi
    case "$kind" in
    pg)
        LC_ALL=C.UTF-8 runuser -u postgres -- /usr/lib/postgresql/15/bin/pg_ctl -D "$dir/data" \
            -o "-p $port -k $dir -c listen_addresses=127.0.0.1" -l "$dir/server.log" -w -t 60 \
            start >>"$dir/control.log" 2>&1 </dev/null
        ;;
    mariadb)
        "${skew[@]}" setsid /usr/sbin/mariadbd --no-defaults --user=mysql --datadir="$dir/data" \
            --port="$port" --bind-address=127.0.0.1 --socket="$dir/sock" \
            --pid-file="$dir/server.pid" --log-error="$dir/server.log" --skip-name-resolve \
            --character-set-server=utf8mb4 --collation-server=utf8mb4_bin \
            >>"$dir/control.log" 2>&1 </dev/null &
        local _
        for _ in $(seq 1 300); do
            if /usr/bin/mariadb-admin --no-defaults --socket="$dir/sock" -uroot ping \
                >>"$dir/control.log" 2>&1 </dev/null; then
                return 0
            fi
            if [ -f "$dir/server.pid" ] && ! kill -0 "$(cat "$dir/server.pid")" 2>/dev/null; then
                return 1
            fi
            sleep 0.1
        done
        return 1
        ;;
    *) return 1 ;;
    esac
}

zq_db_server_down() {
    local dir=$1 kind pid _
    [ -f "$dir/settings" ] || return 0
    kind=$(sed -n 's/^kind=//p' "$dir/settings")
    case "$kind" in
    pg)
        if [ -f "$dir/data/postmaster.pid" ]; then
            runuser -u postgres -- /usr/lib/postgresql/15/bin/pg_ctl -D "$dir/data" -m fast -w \
                -t 60 stop >>"$dir/control.log" 2>&1 </dev/null || true
        fi
        ;;
    mariadb)
        pid=$(cat "$dir/server.pid" 2>/dev/null || true)
        if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then
            for _ in $(seq 1 300); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
        fi
        ;;
    esac
}

zq_db_start_pg() {
    local dir="$zq_db_root/pg" password port attempt
    mkdir -p "$dir"
    chown postgres:postgres "$dir"
    zq_db_servers+=("$dir")
    password=$(zq_db_password)
    # C.UTF-8: under the Wine scripts' zh_CN.UTF-8 initdb finds no text search configuration.
    # Local socket connections are trusted (the set-up below); TCP ones need the password.
    if ! LC_ALL=C.UTF-8 runuser -u postgres -- /usr/lib/postgresql/15/bin/initdb \
        -D "$dir/data" -U zq_admin --auth-local=trust --auth-host=scram-sha-256 \
        --locale=C.UTF-8 -E UTF8 >"$dir/initdb.log" 2>&1 </dev/null; then
        echo "PostgreSQL: initdb failed (see $dir/initdb.log)" >&2
        return 1
    fi
    for attempt in 1 2 3 4 5; do
        port=$(zq_db_free_port)
        zq_db_write_settings "$dir" pg "$port"
        zq_db_server_up "$dir" && break
        [ "$attempt" -lt 5 ] || {
            echo "PostgreSQL did not start (see $dir/server.log)" >&2
            return 1
        }
    done
    if ! psql -h "$dir" -p "$port" -U zq_admin -d postgres -v ON_ERROR_STOP=1 -q \
        -c "CREATE ROLE zq LOGIN PASSWORD '$password'" \
        -c "CREATE ROLE zq_station LOGIN PASSWORD '$password'" \
        -c "CREATE ROLE zq_auditor LOGIN PASSWORD '$password'" \
        -c "CREATE DATABASE zq OWNER zq ENCODING 'UTF8'" >"$dir/setup.log" 2>&1 </dev/null; then
        echo "PostgreSQL: could not create the user and database (see $dir/setup.log)" >&2
        return 1
    fi
    export ZQ_TEST_PG="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=zq;Uid=zq;Pwd=$password;"
    export ZQ_TEST_PG_STATION="${ZQ_TEST_PG/Uid=zq;/Uid=zq_station;}"
    export ZQ_TEST_PG_AUDITOR="${ZQ_TEST_PG/Uid=zq;/Uid=zq_auditor;}"
    export ZQ_TEST_PG_CONTROL="bash '$zq_db_script' '$dir'"
}

zq_db_start_mariadb() {
    local name=${1:-mariadb} clock=${2:-} password port attempt
    local dir="$zq_db_root/$name"
    mkdir -p "$dir"
    chown mysql:mysql "$dir"
    zq_db_servers+=("$dir")
    password=$(zq_db_password)
    if ! /usr/bin/mariadb-install-db --no-defaults --user=mysql --datadir="$dir/data" \
        --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1 \
        </dev/null; then
        echo "MariaDB: mariadb-install-db failed (see $dir/install.log)" >&2
        return 1
    fi
    for attempt in 1 2 3 4 5; do
        port=$(zq_db_free_port)
        zq_db_write_settings "$dir" mariadb "$port" "$clock"
        zq_db_server_up "$dir" && break
        zq_db_server_down "$dir"
        [ "$attempt" -lt 5 ] || {
            echo "MariaDB did not start (see $dir/server.log)" >&2
            return 1
        }
    done
    # root connects through the socket; the tests connect over TCP with the password.
    if ! /usr/bin/mariadb --no-defaults --socket="$dir/sock" -uroot -e "
        CREATE DATABASE zq CHARACTER SET utf8mb4 COLLATE utf8mb4_bin;
        CREATE USER 'zq'@'%' IDENTIFIED BY '$password';
        GRANT ALL ON zq.* TO 'zq'@'%' WITH GRANT OPTION;
        CREATE USER 'zq_station'@'%' IDENTIFIED BY '$password';
        CREATE USER 'zq_auditor'@'%' IDENTIFIED BY '$password';" >"$dir/setup.log" 2>&1 </dev/null; then
        echo "MariaDB: could not create the user and database (see $dir/setup.log)" >&2
        return 1
    fi
    local connection="Driver={MariaDB Unicode};Server=127.0.0.1;Port=$port;Database=zq;Uid=zq;Pwd=$password;"
    if [ "$name" != mariadb ]; then
        export ZQ_TEST_SKEWED="$connection"
        return 0
    fi
    export ZQ_TEST_MARIADB="$connection"
    export ZQ_TEST_MARIADB_STATION="${ZQ_TEST_MARIADB/Uid=zq;/Uid=zq_station;}"
    export ZQ_TEST_MARIADB_AUDITOR="${ZQ_TEST_MARIADB/Uid=zq;/Uid=zq_auditor;}"
    export ZQ_TEST_MARIADB_CONTROL="bash '$zq_db_script' '$dir'"
}

zq_db_start() {
    local servers=("$@") server
    if [ ${#servers[@]} -eq 0 ]; then
        servers=(pg mariadb)
        [ ! -f "$zq_db_faketime" ] || servers+=(skewed)
    fi
    [ -n "$zq_db_root" ] || zq_db_make_root
    for server in "${servers[@]}"; do
        case "$server" in
        pg) zq_db_start_pg || return 1 ;;
        mariadb) zq_db_start_mariadb || return 1 ;;
        skewed) zq_db_start_mariadb skewed +400d || return 1 ;;
        *)
            echo "zq_db_start: unknown server $server" >&2
            return 1
            ;;
        esac
    done
}

zq_db_stop() {
    local dir
    for dir in "${zq_db_servers[@]}"; do
        zq_db_server_down "$dir"
    done
    zq_db_servers=()
    if [ -n "$zq_db_root" ]; then
        rm -rf "$zq_db_root"
        zq_db_root=""
    fi
    unset ZQ_TEST_PG ZQ_TEST_PG_CONTROL ZQ_TEST_MARIADB ZQ_TEST_MARIADB_CONTROL \
        ZQ_TEST_PG_STATION ZQ_TEST_PG_AUDITOR ZQ_TEST_MARIADB_STATION ZQ_TEST_MARIADB_AUDITOR \
        ZQ_TEST_SKEWED
}

zq_db_script="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")"

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    case "${2:-}" in
    stop) zq_db_server_down "$1" ;;
    start) zq_db_server_up "$1" ;;
    *)
        echo "usage: $0 SERVER_FOLDER stop|start" >&2
        exit 2
        ;;
    esac
fi
