#!/bin/sh
# The repository's pre-commit hook in a scratch project that takes it from this repository (a
# local path, no network): a DP list change that breaks a config blocks the commit, and a commit
# of an unrelated setup.cfg runs no check. Arguments: the source tree, the program's directory.
set -eu
src=$1
PATH=$2:$PATH
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export PRE_COMMIT_HOME="$scratch/cache" GIT_CONFIG_GLOBAL=/dev/null GIT_CONFIG_NOSYSTEM=1
export GIT_AUTHOR_NAME=test GIT_AUTHOR_EMAIL=test@example.invalid
export GIT_COMMITTER_NAME=test GIT_COMMITTER_EMAIL=test@example.invalid
# The hook source is this repository as committed, with the working tree's hook file.
hooks=$scratch/hooks
git clone -q "$src" "$hooks"
cp "$src/.pre-commit-hooks.yaml" "$hooks/"
git -C "$hooks" commit -q -a --allow-empty -m "hook file of the working tree"
project=$scratch/project
mkdir -p "$project/plant" "$project/config"
cd "$project"
git init -q
cp "$src/examples/plant.dpl" plant/
cp "$src/examples/valid.cfg" config/
printf 'dp-lists = ["plant/plant.dpl"]\nconfigs = ["config/*.cfg"]\n' >.quorlin-validate.toml
cat >.pre-commit-config.yaml <<EOT
repos:
  - repo: $hooks
    rev: $(git -C "$hooks" rev-parse HEAD)
    hooks:
      - id: quorlin-validate
        verbose: true
EOT
git add -A
pre-commit install >/dev/null
git commit -q -m "a valid project"
fail() { echo "pre_commit_test: $*" >&2; exit 1; }

# An element that a config names disappears from the DP list.
sed -i 's/^\tcurrent\t22#3$/\tamps\t22#3/' plant/plant.dpl
git diff --quiet plant/plant.dpl && fail "the element to remove is not in the DP list"
git add plant/plant.dpl
if git commit -q -m "rename an element" >"$scratch/out" 2>&1; then
  cat "$scratch/out" >&2
  fail "the commit of a DP list that breaks a config went through"
fi
grep -q 'config/valid.cfg:.*Unknown DPE PS1.current' "$scratch/out" ||
  { cat "$scratch/out" >&2; fail "the blocked commit names no finding"; }
git checkout -q HEAD -- plant/plant.dpl

# A Python setup.cfg is no config of the project: the hook has nothing to check.
printf '[metadata]\nname = tool\n' >setup.cfg
git add setup.cfg
git commit -q -m "python packaging" >"$scratch/out" 2>&1 ||
  { cat "$scratch/out" >&2; fail "the commit of setup.cfg was blocked"; }
if grep -q 'setup.cfg' "$scratch/out" || ! grep -q '^config/valid.cfg: ' "$scratch/out"; then
  cat "$scratch/out" >&2
  fail "setup.cfg was checked, or the project's configs were not"
fi
echo "pre_commit_test: 2 passed, 0 failed"
