#!/usr/bin/env bash
# Remakes docs/merchant-window.png: under Xvfb the built merchant, gateway and customer run one
# whole exchange on loopback, the window is made taller so that the order table and the
# credited amount show together, and the screen is captured. Needs xvfb, xdotool and
# imagemagick, and the fixed UDP ports 2000, 2003 and 2004 free.
# Usage: scripts/screenshot.sh [BUILD_DIR]   (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
work=$(mktemp -d /tmp/velkor-shot-XXXXXX)
trap 'rm -rf "$work"' EXIT

cat > "$work/shot.sh" <<SHOT
#!/usr/bin/env bash
set -euo pipefail
"$build/src/ui/velkor-merchant" > "$work/merchant.log" 2>&1 &
merchant=\$!
"$build/tools/gateway/velkor-gateway" --once --write-public "$work/gateway.pub" \
  > "$work/gateway.log" 2>&1 &
window=\$(xdotool search --sync --name "Program Velkor")
xdotool windowmove "\$window" 0 0 windowsize "\$window" 544 720
sleep 1
"$build/tools/customer/velkor-customer" --gateway-key "$work/gateway.pub" --timeout 2 \
  > "$work/customer.log" 2>&1 || true
for _ in \$(seq 100); do
  grep -q "Na účet obchodníka byla připsána částka" "$work/merchant.log" && break
  sleep 0.2
done
sleep 1
import -window root "$work/root.png"
kill -TERM \$merchant
wait \$merchant || true
SHOT
chmod +x "$work/shot.sh"
xvfb-run -a -s "-screen 0 800x1000x24" "$work/shot.sh"
grep -q "Na účet obchodníka byla připsána částka" "$work/merchant.log" || {
  cat "$work"/*.log >&2
  echo "screenshot.sh: the exchange did not finish" >&2
  exit 1
}
convert "$work/root.png" -trim docs/merchant-window.png
echo "docs/merchant-window.png: $(identify -format '%wx%h' docs/merchant-window.png)"
