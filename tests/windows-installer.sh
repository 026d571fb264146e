#!/usr/bin/env bash
# Installs the Windows program silently under Wine, as a user without administrator rights
# would, checks what the installer put where, then uninstalls it silently and checks that
# nothing of it is left.
#   windows-installer.sh SETUP.EXE WINE-RUN
set -euo pipefail
setup=$1
wine_run=$2
[ -f "$setup" ] || { echo "no installer at $setup: build the windows_package target first"; exit 1; }

. "$(dirname "$0")/wine-prefix.sh"
install_dir=${user_dir}AppData/Local/Programs/electron-wave
shortcut="${user_dir}AppData/Roaming/Microsoft/Windows/Start Menu/Programs/電子波自己干渉.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\org.electronwave.ElectronWave'

"$wine_run" "$setup" /S
wineserver -w
check "the program is in the user's programs folder" "[ -f '$install_dir/electron-wave.exe' ]"
check "Qt's platform plugin is beside it" "[ -f '$install_dir/plugins/platforms/qwindows.dll' ]"
check "the Start menu has its entry" "[ -f \"$shortcut\" ]"
check "Apps & features lists it" \
    "'$wine_run' reg query '$key' /v UninstallString 2>/dev/null | grep -q uninstall.exe"
check "nothing went to Program Files" "! ls '$WINEPREFIX/drive_c/Program Files' | grep -qi electron"

"$wine_run" "$install_dir/uninstall.exe" /S
# The uninstaller runs on from a copy of itself, which wineserver -w waits for.
wineserver -w
check "the program's folder is gone" "[ ! -e '$install_dir' ]"
check "the Start-menu entry is gone" "[ ! -e \"$shortcut\" ]"
check "the uninstall entry is gone" "! '$wine_run' reg query '$key' >/dev/null 2>&1"
exit "$fail"
