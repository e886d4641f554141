#!/usr/bin/env bash
# Remakes docs/merchant-window.png: starts the built merchant under Xvfb, sends it one
# 12-byte datagram, and captures the window (needs xvfb and imagemagick).
set -euo pipefail
cd "$(dirname "$0")/.."
merchant=${1:-build/src/ui/velkor-merchant}
cat > /tmp/velkor-shot.sh <<SHOT
#!/usr/bin/env bash
"$merchant" >/dev/null 2>&1 &
pid=\$!
sleep 2
printf 0123456789AB > /dev/udp/127.0.0.1/2004
sleep 1
import -window root /tmp/velkor-root.png
kill -TERM \$pid
SHOT
chmod +x /tmp/velkor-shot.sh
xvfb-run -a -s "-screen 0 640x480x24" /tmp/velkor-shot.sh
convert /tmp/velkor-root.png -trim docs/merchant-window.png
