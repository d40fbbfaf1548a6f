# Sourced by the scripts that show or run the program on a sample: one
# Tessaro installation and one update package, the same everywhere.
#   sample_installation DIR   Tessaro 5.0, build 04.04.15, as its installer left it
#   sample_package DIR        the package folder r2718upd.dat: five updates, three of
#                             them newer than the installation, with its checksum file
# The files' bytes are random; the texts are in the Windows code page.

sample_installation() {
  local install=$1
  mkdir -p "$install/bin" "$install/dati" "$install/modelli/fatture"
  head -c 2200000 /dev/urandom >"$install/Tessaro.exe"
  head -c 900000 /dev/urandom >"$install/bin/archivio.dll"
  printf '[Tessaro]\r\nLingua=it\r\nArchivi=C:\\Program Files\\Vantrel\\Tessaro\\dati\r\n' >"$install/Tessaro.ini"
  printf 'Ditta Esempio S.r.l.\r\n' >"$install/dati/ditta.dat"
  printf 'MODELLO FATTURA 5.0\r\n' >"$install/modelli/fatture/fattura_a4.mod"
  printf '@versione=5.0  @build=04.04.15' >"$install/Versione.txt"
}

sample_package() {
  local package=$1 tree=$1/InstDir
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
Guida in linea rivista e ampliata: è più facile trovare ciò che serve
EOF
  find "$tree" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%d\r\n", s }' \
    >"$package/sizeofupds.txt"
  # The checksums, as updpack build writes them: made here with the standard tool.
  (cd "$package" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
    xargs -d '\n' sha256sum >SHA256SUMS)
}
