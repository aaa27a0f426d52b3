# bash completion for quorlin-validate: options, their values, config files (*.cfg) and DP lists
# (*.dpl after --dp-list). Options and their value words are read from the program's --help, so
# they are always those of the program being completed.

# Each option line of --help as "NAMES [ARGUMENT]": "-q,--quiet", "--format text|json|sarif|github".
_quorlin_validate_options() {
  "$1" --help 2>/dev/null | sed -En 's/^ +(-[^ ]+)( [^ ]+)?( {2,}.*)?$/\1\2/p'
}

# File names that match the glob $1, and directories to descend into.
_quorlin_validate_files() {
  local IFS=$'\n'
  compopt -o filenames 2>/dev/null
  COMPREPLY=($({ compgen -f -X "!$1" -- "$cur"; compgen -d -- "$cur"; } | sort -u))
}

_quorlin_validate() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} names arg options=()
  COMPREPLY=()
  # --format=json arrives as the words --format, = and json.
  if [[ $cur == = ]]; then
    cur=
  elif [[ $prev == = ]]; then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  fi
  while read -r names arg; do
    options+=(${names//,/ })
    [[ ,$names, == *,"$prev",* && -n $arg ]] || continue
    case $prev:$arg in
      *'|'*) COMPREPLY=($(compgen -W "${arg//|/ }" -- "$cur")) ;;
      --dp-list:*) _quorlin_validate_files '*.dpl' ;;
      --stdin-filename:*) _quorlin_validate_files '*.cfg' ;;
      *:FILE | *:PATH) _quorlin_validate_files '*' ;;
    esac
    return 0
  done < <(_quorlin_validate_options "${COMP_WORDS[0]}")
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "${options[*]}" -- "$cur"))
  else
    _quorlin_validate_files '*.cfg'
  fi
}

complete -F _quorlin_validate quorlin-validate
