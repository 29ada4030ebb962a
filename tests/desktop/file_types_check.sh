#!/bin/sh
# The file types shipped for the desktop, installed as the README tells a user to, in a scratch
# home: a report file and a saved preview are known by their names, whatever their first bytes.
# Arguments: the shared-mime-info file, a report file.
set -eu
types=$1
report=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
# The query goes through the desktop's own file-type lookup (a desktop without one asks `file`,
# which knows no installed types).
export XDG_CURRENT_DESKTOP=GNOME
mkdir -p "$XDG_DATA_HOME"

cp "$report" "$scratch/Etiquetas.KVR"
cp "$report" "$scratch/minusculas.kvr"
printf 'KVP' > "$scratch/Pedidos.VKR"
before=$(xdg-mime query filetype "$scratch/Etiquetas.KVR")
[ "$before" != application/x-kelvora-relatorio ] || { echo "known before the install"; exit 1; }

xdg-mime install --mode user --novendor "$types"

fail=0
check() {
  got=$(xdg-mime query filetype "$scratch/$1")
  if [ "$got" = "$2" ]; then echo "ok   $1: $got"; else echo "FAIL $1: $got, expected $2"; fail=1; fi
}
check Etiquetas.KVR application/x-kelvora-relatorio
check minusculas.kvr application/x-kelvora-relatorio
check Pedidos.VKR application/x-kelvora-visualizacao
exit $fail
