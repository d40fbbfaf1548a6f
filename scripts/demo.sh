#!/usr/bin/env bash
# Runs the update wizard as a customer meets it: a Tessaro installation
# (version 5.0, build 04.04.15) in a Wine prefix of its own, and a medium
# holding kvelmora.exe beside an update package with five updates, three of
# them newer than the installation.
#
# With a display ($DISPLAY) the wizard opens there for you. Without one it
# runs under Xvfb, walks through every screen by itself and saves one
# screenshot per screen; the folder is named at the end.
# Every run starts from the same sample installation and package.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
demo=$root/build/demo
build=$root/build/win64
export WINEPREFIX=$demo/prefix
# The customer's Windows is Italian: so are the system's own button labels.
if locale -a 2>/dev/null | grep -qi '^it_IT\.utf-\?8$'; then
  export TESSARO_WINE_LOCALE=it_IT.UTF-8
fi

step() { printf '\n==== %s\n' "$*"; }

step "set-up"
scripts/setup.sh

step "building the program (64-bit, runs under wine64)"
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target kvelmora demo_driver -j "${TESSARO_BUILD_JOBS:-2}"
program=$(find "$build" -name kvelmora.exe -type f -print -quit)
driver=$(find "$build" -name demo_driver.exe -type f -print -quit)
[ -n "$program" ] && [ -n "$driver" ] || { echo "demo: the build made no kvelmora.exe"; exit 1; }

step "sample installation in $WINEPREFIX"
. scripts/wine-env.sh
scripts/wine-prefix.sh
# A Wine left running in this prefix by an interrupted run would keep the
# sample from being reset.
"$WINESERVER" -k >/dev/null 2>&1 || true
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
install="$WINEPREFIX/drive_c/Program Files/Vantrel/Tessaro"
rm -rf "$install"
mkdir -p "$install/bin" "$install/dati" "$install/modelli/fatture"
head -c 2200000 /dev/urandom >"$install/Tessaro.exe"
head -c 900000 /dev/urandom >"$install/bin/archivio.dll"
printf '[Tessaro]\r\nLingua=it\r\nArchivi=C:\\Program Files\\Vantrel\\Tessaro\\dati\r\n' >"$install/Tessaro.ini"
printf 'Ditta Esempio S.r.l.\r\n' >"$install/dati/ditta.dat"
printf 'MODELLO FATTURA 5.0\r\n' >"$install/modelli/fatture/fattura_a4.mod"
printf '@versione=5.0  @build=04.04.15' >"$install/Versione.txt"
"$WINE" reg add 'HKLM\SOFTWARE\Vantrel\Tessaro\VERS0002' /v InstallationDir \
  /d 'C:\Program Files\Vantrel\Tessaro' /f /reg:32 >/dev/null 2>&1 </dev/null
# Wine started without a display for this; it must be gone before the wizard.
"$WINESERVER" -w
echo "installed: 5.0 build 04.04.15 in C:\\Program Files\\Vantrel\\Tessaro"

step "sample medium: kvelmora.exe beside the package r2718upd.dat"
media=$demo/media
package=$media/r2718upd.dat
rm -rf "$media"
mkdir -p "$package/InstDir"
cp "$program" "$media/kvelmora.exe"
tree=$package/InstDir
mkdir -p "$tree/bin/stampa/driver" "$tree/dati/tabelle" "$tree/modelli/fatture" "$tree/doc"
head -c 2400000 /dev/urandom >"$tree/Tessaro.exe"
head -c 1100000 /dev/urandom >"$tree/bin/archivio.dll"
head -c 600000 /dev/urandom >"$tree/bin/stampa/moduli.dll"
head -c 300000 /dev/urandom >"$tree/bin/stampa/driver/pdf.dll"
head -c 5200000 /dev/urandom >"$tree/dati/tabelle/comuni.tab"
printf 'ALIQUOTE IVA 2004\r\n4\r\n10\r\n20\r\n' >"$tree/dati/tabelle/iva.tab"
printf 'MODELLO FATTURA 5.1\r\n' >"$tree/modelli/fatture/fattura_a4.mod"
printf 'MODELLO NOTA DI CREDITO 5.1\r\n' >"$tree/modelli/fatture/nota_credito.mod"
# The wizard shows the list's bytes as they are, in the Windows code page.
iconv -f UTF-8 -t CP1252 >"$tree/doc/novita.txt" <<'EOF'
Tessaro 5.1 - novità di questa versione

Scadenzario con promemoria all'avvio del programma.
Esportazione dei movimenti di magazzino verso il foglio elettronico.
EOF
iconv -f UTF-8 -t CP1252 <<'EOF' | sed 's/$/\r/' >"$package/r2718upd.txt"
# Vantrel - aggiornamenti della Tessaro Vers. 0002, pacchetto r2718 (luglio 2004)
# Ogni riga "-> " apre un aggiornamento; le righe che seguono lo descrivono.

-> @versione=5.0  @build=04.03.22
Correzione del calcolo IVA sulle note di credito con più aliquote
Stampa del registro dei corrispettivi in formato A4 orizzontale
-> @versione=5.0  @build=04.04.15
Nuovo archivio clienti con ricerca per partita IVA e codice fiscale
Apertura più rapida degli archivi di grandi dimensioni
-> @versione=5.0  @build=04.04.16
Corretto l'arrotondamento dei totali in fattura
Ripristinata la stampa delle etichette sulle stampanti ad aghi
-> @versione=5.0  @build=04.05.28
Tabelle dei comuni italiani e dei codici di avviamento postale aggiornate
Nuovo modello di nota di credito
-> @versione=5.1  @build=04.06.30
Scadenzario con promemoria all'avvio del programma
Esportazione dei movimenti di magazzino verso il foglio elettronico
Guida in linea rivista e ampliata
EOF
find "$tree" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%d\r\n", s }' \
  >"$package/sizeofupds.txt"
echo "package: $(find "$tree" -type f | wc -l) files, $(tr -d '\r\n' <"$package/sizeofupds.txt") bytes"
# The checksums, as updpack build writes them: made here with the standard tool.
(cd "$package" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
  xargs -d '\n' sha256sum >SHA256SUMS)
# The medium is drive D:, as the customer's disc would be.
ln -sfn "$media" "$WINEPREFIX/dosdevices/d:"
echo "medium: D:\\kvelmora.exe and D:\\r2718upd.dat"

if [ -n "${DISPLAY:-}" ] && [ -z "${TESSARO_FORCE_XVFB:-}" ]; then
  step "the wizard opens on your display"
  "$WINE" 'D:\kvelmora.exe' </dev/null
  "$WINESERVER" -w
else
  step "no display: the wizard walks itself under Xvfb"
  shots=$demo/screenshots
  rm -rf "$shots"
  mkdir -p "$shots"
  # One package file stays open in "another program" until its prompt shows.
  timeout 600 xvfb-run -a -n "${TESSARO_XVFB_FROM:-99}" -s "-screen 0 1024x768x24" tests/e2e/demo/walk.sh \
    "$driver" 'D:' "$shots" 'r2718upd.dat\InstDir\modelli\fatture\fattura_a4.mod'
fi

step "after the run"
echo "Versione.txt: $(cat "$install/Versione.txt")"
if [ -n "${shots:-}" ]; then
  echo "screenshots, one per screen, in $shots:"
  ls -1 "$shots"
fi
