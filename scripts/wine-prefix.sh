#!/bin/bash
# Creates or refreshes the project's Wine prefix ($ZQ_WINEPREFIX, default build/wine-prefix).
# Safe to run again. The zh_CN.UTF-8 locale comes with the packages (install-deps.sh).
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
mkdir -p "$ZQ_WINE_LOGS"
log="$ZQ_WINE_LOGS/wine-prefix.log"

case "$WINEPREFIX" in
"$HOME/.wine" | "$HOME/.wine/") echo "refusing to touch ~/.wine" >&2; exit 1 ;;
esac

mkdir -p "$(dirname "$WINEPREFIX")"
zq_wineserver_stop
# Without DISPLAY wineboot shows no install dialogs.
env -u DISPLAY wineboot -i >>"$log" 2>&1 </dev/null

# Debian's Wine does not find its own fonts (Tahoma, Marlett...); they come from fonts-wine.
if ! compgen -G '/usr/share/wine/fonts/*' >/dev/null; then
    apt-get install -y --no-install-recommends fonts-wine >>"$log" 2>&1
fi
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp -f /usr/share/wine/fonts/* "$fonts/"

cjk_family="${ZQ_CJK_FONT:-AR PL UMing CN}"
reg() { env -u DISPLAY wine reg "$@" >>"$log" 2>&1 </dev/null; }
# A virtual desktop gives dialogs a title bar and fast closes without a window manager.
reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f
reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 800x600 /f
subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
reg add "$subst" /v SimSun /t REG_SZ /d "$cjk_family" /f
reg add "$subst" /v '宋体' /t REG_SZ /d "$cjk_family" /f
# The station's Chinese face, Windows' Chinese interface font, is a sans: a sans stands in.
ui_family="${ZQ_CJK_UI_FONT:-WenQuanYi Zen Hei}"
fc-list : family | grep -F "$ui_family" >/dev/null || ui_family="$cjk_family"
reg add "$subst" /v 'Microsoft YaHei UI' /t REG_SZ /d "$ui_family" /f
reg add "$subst" /v 'Microsoft YaHei' /t REG_SZ /d "$ui_family" /f

# The driver service must be registered in a later wineserver session than wineboot's.
zq_wineserver_stop
echo "prefix ready: $WINEPREFIX"
