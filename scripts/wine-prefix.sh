#!/usr/bin/env bash
# Makes the Wine prefix that the tests and the demo run in, once; later calls
# return at once. Fonts: Wine's own (Tahoma) plus Liberation Sans standing in
# for Arial, so dialogs lay out as they do on Windows. A virtual desktop
# avoids Wine's 2-second wait whenever a top-level window hides.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"

[ -f "$WINEPREFIX/.tessaro-ready" ] && exit 0
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
"$WINE" wineboot --init >/dev/null 2>&1 </dev/null || true
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp /usr/share/wine/fonts/*.ttf "$fonts/"
cp /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf "$fonts/"
reg() { "$WINE" reg add "$@" /f >/dev/null 2>&1 </dev/null; }
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v Arial /d 'Liberation Sans'
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v arial /d 'Liberation Sans'
reg 'HKLM\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v Arial /d 'Liberation Sans'
"$WINESERVER" -w
touch "$WINEPREFIX/.tessaro-ready"
echo "wine-prefix: made $WINEPREFIX"
