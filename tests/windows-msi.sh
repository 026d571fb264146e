#!/usr/bin/env bash
# Installs the Windows Installer package silently under Wine, for all users of the PC, as Intune
# or group policy would; checks what it put where and that the installed program, started from
# its Start-menu entry, shows its window; then removes it silently and checks that nothing of it
# is left.
#   windows-msi.sh PACKAGE.MSI ZIP WINE-RUN   in an X display
set -euo pipefail
msi=$1
zip=$2
wine_run=$3
for file in "$msi" "$zip"; do
    [ -f "$file" ] || { echo "no $file: build the windows_package target first"; exit 1; }
done

. "$(dirname "$0")/wine-prefix.sh"
unpacked=$WINEPREFIX/unpacked
mkdir "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip")
install_dir="$WINEPREFIX/drive_c/Program Files/electron-wave"
# Windows puts the entry into the Start menu of all users; Wine, which has no such redirection
# for packages installed for all users, into the user's.
menus=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
    "${user_dir}AppData/Roaming/Microsoft/Windows/Start Menu/Programs")
entry_in_menu() {
    local menu
    for menu in "${menus[@]}"; do
        [ -f "$menu/電子波自己干渉.lnk" ] && { echo "$menu/電子波自己干渉.lnk"; return; }
    done
    return 1
}
product_code=$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p')
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product_code"
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }

"$wine_run" msiexec /i "$(windows_path "$msi")" /qn
wineserver -w
check "Program Files holds exactly the files of the zip" \
    "diff -r '$unpacked/$(basename "$zip" .zip)' '$install_dir'"
entry=$(entry_in_menu) || true
check "the Start menu has its entry, with the program's icon" \
    "[ -n '$entry' ] && strings -el '$entry' | grep -q 'Installer\\\\$product_code\\\\electron_wave.ico'"
# reg export writes UTF-16, in which the Japanese name survives.
"$wine_run" reg export "$uninstall_key" 'C:\apps.reg' /y >/dev/null 2>&1 || true
check "Apps & features lists it for all users, by its name" \
    "iconv -f UTF-16 -t UTF-8 '$WINEPREFIX/drive_c/apps.reg' | grep -q '^\"DisplayName\"=\"電子波自己干渉\"'"
rm -f "$WINEPREFIX/drive_c/apps.reg"

# Started as a user would, from the Start menu; then closed by its own CLOSE button.
find_window() {
    for _ in $(seq 600); do
        xdotool search --onlyvisible --name '^電子波自己干渉$' 2>/dev/null | head -n 1 && return
        sleep 0.1
    done
    return 1
}
"$wine_run" start /unix "$entry" >/dev/null 2>&1 || true
window=$(find_window) || true
check "the program started from its entry shows its window" "[ -n '$window' ]"
[ -z "$window" ] || xdotool mousemove --window "$window" 672 172 click 1
# Removing it while it runs would test something else.
timeout 60 wineserver -w || { echo "the program did not end on CLOSE: ended by force"; wineserver -k; }

"$wine_run" msiexec /x "$(windows_path "$msi")" /qn
wineserver -w
check "the program's folder is gone" "[ ! -e '$install_dir' ]"
check "the Start-menu entry is gone" "! entry_in_menu >/dev/null"
check "no registry key or value names it any more" \
    "! grep -qi -e electron-wave -e '$product_code' '$WINEPREFIX'/*.reg"
check "Windows Installer keeps nothing of it" \
    "[ -z \"\$(ls -A '$WINEPREFIX/drive_c/windows/Installer')\" ]"
exit "$fail"
