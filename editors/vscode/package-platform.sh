#!/usr/bin/env bash
# Packages the extension for one platform with the program inside: server/ gets the files of an
# installed tree (the program, the module and the stand-in host, in their installed layout), and
# vsce writes quorlin-config-TARGET.vsix. Usage: package-platform.sh TARGET INSTALLED-TREE FILE...
# (FILE relative to the tree), e.g. linux-x64 /tmp/root/usr bin/quorlin-validate lib/...
set -euo pipefail
cd "$(dirname "$0")"
target=$1 tree=$2
shift 2
rm -rf server
trap 'rm -rf server' EXIT
for file in "$@"; do
  mkdir -p "server/$(dirname "$file")"
  cp -L "$tree/$file" "server/$file"  # links as the files they name
done
npx vsce package --no-dependencies --allow-missing-repository --target "$target" \
  --out "quorlin-config-$target.vsix"
