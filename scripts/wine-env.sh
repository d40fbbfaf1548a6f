# Sourced by the scripts that run Wine: one place for the environment.
# WINEPREFIX may be set by the caller; by default the prefix lives in the
# Windows test build tree.
_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$_root/build/win64/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# A UTF-8 locale gives the ANSI code page 1252 that the program's texts use;
# C.UTF-8 always exists, a named one (the demo's Italian) only once generated.
export LC_ALL="${TESSARO_WINE_LOCALE:-C.UTF-8}"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
