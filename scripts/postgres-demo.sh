#!/usr/bin/env bash
# The station on a PostgreSQL server: starts a private server in a temporary folder (initdb and
# pg_ctl, no system service), loads the demo documents into it, runs the station headless until
# nothing is pending, shows what was printed and the marked records, and stops the server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo=${DEMO_DIR:-$root/demo-postgresql}

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"

bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
server=$(mktemp -d /tmp/robot-fiscal-pg.XXXXXX)
as_owner=()
superuser=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
    # The server refuses to run as root.
    chown postgres: "$server"
    as_owner=(runuser -u postgres --)
    superuser=postgres
fi
stop_server() {
    "${as_owner[@]}" "$bin/pg_ctl" -D "$server/data" -m fast -w stop >/dev/null 2>&1 || true
    rm -rf "$server"
}
trap stop_server EXIT

"${as_owner[@]}" "$bin/initdb" -D "$server/data" -A trust -E UTF8 --no-sync >/dev/null
"${as_owner[@]}" "$bin/pg_ctl" -D "$server/data" -l "$server/server.log" -w \
    -o "-c listen_addresses='' -k $server" start >/dev/null
"${as_owner[@]}" "$bin/createdb" -h "$server" tienda

rm -rf "$demo"
"$root/build/bin/robot-fiscal-demo" "$demo" --server "host=$server dbname=tienda user=$superuser"
echo "== $demo/robot-fiscal.ini =="
cat "$demo/robot-fiscal.ini"
status=0
"$root/build/bin/robot-fiscal" --headless --exit-when-idle --dir "$demo" || status=$?

echo
echo "== Papel de la impresora virtual: $demo/virtual-printer/paper.txt =="
cat "$demo/virtual-printer/paper.txt" 2>/dev/null || echo "(vacío)"
echo
echo "== Documentos en el servidor =="
"${as_owner[@]}" "$bin/psql" -h "$server" -d tienda -c \
    "SELECT 'Factura' AS \"Tipo\", \"Código\", \"MáquinaFiscal\" AS \"Caja\", \"Control\",
            \"Impresa\", \"NúmeroZ\" FROM \"Ventas\"
     UNION ALL
     SELECT 'Nota de crédito', \"Código\", \"MáquinaFiscal\", \"Control\", \"Impresa\",
            \"NúmeroZ\" FROM \"NotaCréditoVenta\" ORDER BY 1, 2;"
echo "== Registro: $demo/robot-fiscal.log =="
cat "$demo/robot-fiscal.log"
exit "$status"
