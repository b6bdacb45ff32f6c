#!/bin/sh
# Compiles every source file with Windows-only code for Windows (MinGW's
# headers, syntax only) so that code behind _WIN32 does not rot on a Linux
# machine. Needs g++-mingw-w64-x86-64-posix and a configured build folder
# (for the generated headers). Linking needs Qt for Windows and is not tried.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
q=$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)
incs="-Isrc -I$build/generated -I$q"
for m in QtCore QtGui QtWidgets QtSvg QtNetwork QtPrintSupport QtSql QtWebEngineCore QtWebEngineWidgets; do
  incs="$incs -I$q/$m"
done
status=0
for f in $(grep -rl '_WIN32' src --include='*.cpp'); do
  # shellcheck disable=SC2086
  if x86_64-w64-mingw32-g++-posix -fsyntax-only -std=c++17 -w $incs "$f"; then
    echo "ok   $f"
  else
    echo "FAIL $f"; status=1
  fi
done
exit $status
