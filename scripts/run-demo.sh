#!/usr/bin/env bash
# Installs what is needed, builds, starts a local mosquitto broker and the
# gateway simulator on 127.0.0.1 (the simulator reports that broker in its
# settings), runs the tool, and stops both when the tool closes.
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
# As root, mosquitto would switch to its own user, which cannot read $work.
[[ $(id -u) -ne 0 ]] || echo "user root" >> "$work/mosquitto.conf"
mosquitto -c "$work/mosquitto.conf" &
pids+=($!)

"$build/tools/gateway-sim/gateway-sim" --address 127.0.0.1 --device-id KV-DEMO-01 \
    --broker-host 127.0.0.1 --broker-port "$broker_port" \
    --broker-user "$broker_user" --broker-pass "$broker_pass" &
pids+=($!)
sleep 1

if [[ -x "$build/src/kestrelvane-config" ]]; then
    "$build/src/kestrelvane-config"
else
    echo "The gateway simulator runs on 127.0.0.1 (ports 8881, 8880, 23). Press Ctrl-C to stop."
    wait
fi
