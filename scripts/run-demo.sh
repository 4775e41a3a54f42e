#!/usr/bin/env bash
# Installs what is needed, builds, starts a local mosquitto broker and the
# gateway simulator on 127.0.0.1 (the simulator reports that broker in its
# settings), runs the tool, and stops both when the tool closes.
# DEMO_TLS=1: the broker also listens with TLS on 127.0.0.1:8883 (certificate
# of a demo authority made once in $build/demo-tls), and the gateway reports
# that port, joining it over TLS itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

broker_port=${BROKER_PORT:-1883}
broker_user=gateway
broker_pass='s3cret+pass'
touch "$work/passwd" && chmod 600 "$work/passwd"
mosquitto_passwd -b "$work/passwd" "$broker_user" "$broker_pass"
cat > "$work/mosquitto.conf" <<CONF
listener $broker_port 127.0.0.1
allow_anonymous false
password_file $work/passwd
persistence false
log_dest file $work/mosquitto.log
CONF
gateway_broker=(--broker-port "$broker_port")
if [[ ${DEMO_TLS:-0} == 1 ]]; then
    tls=$build/demo-tls
    if [[ ! -f $tls/broker.crt ]]; then
        mkdir -p "$tls"
        key=(-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes)
        openssl req -x509 "${key[@]}" -keyout "$tls/demo-ca.key" -out "$tls/demo-ca.crt" \
            -days 365 -subj /CN=kestrelvane-demo-ca 2>/dev/null
        openssl req "${key[@]}" -keyout "$tls/broker.key" -out "$tls/broker.csr" \
            -subj /CN=127.0.0.1 2>/dev/null
        echo "subjectAltName=IP:127.0.0.1,DNS:localhost" > "$tls/broker.ext"
        openssl x509 -req -in "$tls/broker.csr" -CA "$tls/demo-ca.crt" -CAkey "$tls/demo-ca.key" \
            -CAcreateserial -out "$tls/broker.crt" -days 365 -extfile "$tls/broker.ext" 2>/dev/null
        chmod 600 "$tls"/*.key
    fi
    printf 'listener 8883 127.0.0.1\ncertfile %s\nkeyfile %s\n' "$tls/broker.crt" \
        "$tls/broker.key" >> "$work/mosquitto.conf"
    gateway_broker=(--broker-port 8883 --broker-cafile "$tls/demo-ca.crt")
    echo "TLS on 127.0.0.1:8883; the demo authority's certificate: $tls/demo-ca.crt"
fi
# As root, mosquitto would switch to its own user, which cannot read $work.
[[ $(id -u) -ne 0 ]] || echo "user root" >> "$work/mosquitto.conf"
mosquitto -c "$work/mosquitto.conf" &
pids+=($!)

"$build/tools/gateway-sim/gateway-sim" --address 127.0.0.1 --device-id KV-DEMO-01 \
    --broker-host 127.0.0.1 "${gateway_broker[@]}" \
    --broker-user "$broker_user" --broker-pass "$broker_pass" &
pids+=($!)
sleep 1

if [[ -x "$build/src/kestrelvane-config" ]]; then
    "$build/src/kestrelvane-config"
else
    echo "The gateway simulator runs on 127.0.0.1 (ports 8881, 8880, 23). Press Ctrl-C to stop."
    wait
fi
