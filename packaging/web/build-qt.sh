#!/usr/bin/env bash
# Builds Qt for WebAssembly from Debian's own qt6-base source with Debian's emscripten, static and
# without threads, into a cache that later builds reuse; run inside the Debian 13 build root,
# whose Qt is the host tools. Only what the program needs: Core, Gui, Widgets and the wasm
# platform, with Qt's own copies of the libraries that a browser does not have, and none of the
# widgets, dialogs and formats that the program never shows, which would only make every pupil's
# download larger. Two changes to Qt's source: the canvas gets the backing store's pixels one for
# one at every device pixel ratio (qt-wasm-canvas.patch); screen readers, on-screen keyboards and
# input methods find the controls in elements of the page (qt-wasm-accessibility.patch).
#   usage: build-qt.sh CACHE-DIR     Qt is then in CACHE-DIR/qt, emscripten's set-up in
#                                    CACHE-DIR/emsdk (source env.sh from there)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
cache=$(cd "$1" && pwd)
"$here/emsdk.sh" "$cache/emsdk"
# shellcheck source=/dev/null
source "$cache/emsdk/env.sh"
unused_features=(
    sql network dbus printsupport concurrent xml testlib zstd jpeg movie mimetype_database
    textodfwriter textmarkdownreader textmarkdownwriter
    style_stylesheet effects
    itemviews listview treeview tableview columnview listwidget treewidget tablewidget
    combobox fontcombobox completer fscompleter datawidgetmapper undoview
    graphicsview graphicseffect mdiarea dockwidget mainwindow toolbar menubar statusbar
    calendarwidget datetimeedit spinbox dial lcdnumber slider keysequenceedit
    tabwidget tabbar toolbox splitter splashscreen sizegrip rubberband commandlinkbutton
    textbrowser syntaxhighlighter progressbar
    colordialog filedialog fontdialog inputdialog errormessage wizard progressdialog
)
off=("${unused_features[@]/#/-DFEATURE_}")
# Part of the key of the cached build: a change here builds Qt again.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF -DFEATURE_thread=OFF
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DQT_QMAKE_TARGET_MKSPEC=wasm-emscripten
    "${off[@]/%/=OFF}"
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DQT_UNITY_BUILD=ON
)
"$here/../build-debian-qt.sh" WebAssembly "$cache" \
    /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
    "emscripten $(dpkg-query -W -f='${Version}' emscripten)" "$here/qt-wasm-canvas.patch" \
    "$here/qt-wasm-accessibility.patch" -- \
    "${options[@]}"
