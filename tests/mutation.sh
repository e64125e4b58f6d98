#!/usr/bin/env bash
# Mutation check: puts one small fault at a time into src/ (a flipped
# comparison, a constant off by one, a dropped statement, ...), rebuilds and
# runs the fast tests, and reports how many of the faults the tests notice.
# It measures; it does not gate (unless --min-score is given).
#
#   bash tests/mutation.sh                  # 120 mutants, seed 1
#   bash tests/mutation.sh --count 40 --seed 7
#   bash tests/mutation.sh --all            # every site
#   bash tests/mutation.sh --list           # the sites, nothing run
#   bash tests/mutation.sh --help           # every option
#
# The work is done by tests/mutation/mutate.py (python3, standard library).
# Mutants known to change nothing are listed in tests/mutation/equivalent.txt.
set -uo pipefail
cd "$(dirname "$0")/.."

build_dir=build-mutation
args=("$@")
for ((i = 0; i < ${#args[@]}; i++)); do
  case "${args[i]}" in
    --build-dir) build_dir=${args[i + 1]:-$build_dir} ;;
    --build-dir=*) build_dir=${args[i]#--build-dir=} ;;
  esac
done

# The script writes the original file back itself, also on Ctrl-C. Should
# it be killed outright, its backup of the file under mutation is put back
# here, and src/ is checked against git.
restore() {
  python3 tests/mutation/mutate.py --restore-only --build-dir "$build_dir" || true
}
trap restore EXIT
trap 'exit 130' INT TERM HUP

python3 tests/mutation/mutate.py "$@"
