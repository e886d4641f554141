#!/usr/bin/env bash
# Remakes docs/orders-window.png: under Xvfb, the built merchant with a fresh order book in a
# temporary folder serves one exchange with the peer programs, the menu item "Objednávky" is
# clicked (through the X test extension) and the book window is captured. Binds the UDP ports
# 2000, 2003 and 2004; needs xvfb, imagemagick and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Moves the pointer to x y and clicks the first button.
cat > "$work/click.py" <<'PY'
import ctypes, sys
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(x11.XOpenDisplay(None))
xtst.XTestFakeMotionEvent(display, -1, int(sys.argv[1]), int(sys.argv[2]), 0)
xtst.XTestFakeButtonEvent(display, 1, 1, 0)
xtst.XTestFakeButtonEvent(display, 1, 0, 0)
x11.XFlush(display)
x11.XCloseDisplay(display)
PY

cat > "$work/shot.sh" <<SHOT
#!/usr/bin/env bash
export VELKOR_ORDERS_DB="$work/orders.sqlite"
"$build/tools/gateway/velkor-gateway" --once --write-public "$work/gateway.pub" >/dev/null 2>&1 &
gateway=\$!
"$build/src/ui/velkor-merchant" >/dev/null 2>&1 &
merchant=\$!
sleep 2
"$build/tools/customer/velkor-customer" --gateway-key "$work/gateway.pub" --timeout 3 \
    --line 'Čaj, "zelený";2;300' --line 'Káva;10;50' >/dev/null 2>&1 &
sleep 9
# The window of 544 x 375 is centred on the 1000 x 700 screen; its menu bar's third item.
python3 "$work/click.py" 393 170
sleep 1
# The book window opens at the screen's top left corner; select its newest exchange.
python3 "$work/click.py" 60 68
sleep 1
import -window root "$work/root.png"
kill -TERM \$merchant \$gateway 2>/dev/null
SHOT
chmod +x "$work/shot.sh"
xvfb-run -a -s "-screen 0 1000x700x24" "$work/shot.sh"
# The book window: 640 x 420 at the top left, above the main window.
convert "$work/root.png" -crop 640x420+0+0 +repage docs/orders-window.png
