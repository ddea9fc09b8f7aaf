#!/usr/bin/env bash
# Installs the build given as $1 into a temporary DESTDIR and checks what a
# desktop sees of it: the menu entry and the AppStream data pass their
# validators and agree with each other, every icon the entry names is there
# at its size, and the installed program answers --version with the release
# the AppStream data gives. Exit status 77 (skipped) when a validator is
# missing (packages desktop-file-utils and appstream).
set -euo pipefail
build=$1
for strumento in desktop-file-validate appstreamcli file; do
    if ! command -v "$strumento" >/dev/null; then
        echo "manca $strumento: verifica saltata" >&2
        exit 77
    fi
done

radice=$(mktemp -d "${TMPDIR:-/tmp}/zelinstalla.XXXXXX")
trap 'rm -rf "$radice"' EXIT
DESTDIR="$radice" cmake --install "$build" --prefix /usr >/dev/null
usr=$radice/usr
errori=0
errore() { echo "ERRORE: $*" >&2; errori=1; }

desktop=("$usr"/share/applications/*.desktop)
metainfo=("$usr"/share/metainfo/*.metainfo.xml)
[ ${#desktop[@]} -eq 1 ] && [ -f "${desktop[0]}" ] || errore "non c'è una sola voce di menu"
[ ${#metainfo[@]} -eq 1 ] && [ -f "${metainfo[0]}" ] || errore "non c'è un solo file AppStream"
desktop-file-validate "${desktop[0]}" || errore "voce di menu non valida"
appstreamcli validate --no-net "${metainfo[0]}" || errore "dati AppStream non validi"

id=$(basename "${desktop[0]}" .desktop)
grep -qx "  <launchable type=\"desktop-id\">$id.desktop</launchable>" "${metainfo[0]}" ||
    errore "AppStream non nomina la voce di menu $id.desktop"
grep -qx "  <id>$id</id>" "${metainfo[0]}" || errore "l'id AppStream non è $id"
grep -qx "Categories=Development;Database;" "${desktop[0]}" || errore "categorie diverse"

# The program the entry runs, and the icon it names at every size.
eseguibile=$(sed -n 's/^Exec=//p' "${desktop[0]}")
[ -x "$usr/bin/$eseguibile" ] || errore "Exec=$eseguibile non installato in bin"
icona=$(sed -n 's/^Icon=//p' "${desktop[0]}")
[ -f "$usr/share/icons/hicolor/scalable/apps/$icona.svg" ] || errore "manca l'icona SVG $icona"
for lato in 16 22 24 32 48 64 128 256; do
    png=$usr/share/icons/hicolor/${lato}x${lato}/apps/$icona.png
    file "$png" 2>/dev/null | grep -q "PNG image data, $lato x $lato," ||
        errore "manca l'icona di $lato pixel o ha un'altra misura"
done

# The release in the AppStream data is the program's own.
rilascio=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "${metainfo[0]}" | head -n 1)
versione=$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/$eseguibile" --version)
[ "$versione" = "Zelbrontica $rilascio" ] ||
    errore "--version dice «$versione», AppStream il rilascio $rilascio"

# The command without a window, its page and its version.
[ -x "$usr/bin/zelbrontica-cli" ] || errore "zelbrontica-cli non installato in bin"
[ -f "$usr/share/man/man1/zelbrontica-cli.1.gz" ] || errore "manca la pagina di zelbrontica-cli"
cli=$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/zelbrontica-cli" --version)
[ "$cli" = "zelbrontica-cli $rilascio" ] || errore "zelbrontica-cli --version dice «$cli»"

exit $errori
