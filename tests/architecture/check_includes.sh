#!/usr/bin/env bash
# Refuses an include that runs against the pipeline order of the core
#   model -> census -> analysis -> files -> picture
# (a stage includes only itself and the stages before it), an include from the core into a face
# (app, cli, python) and any Qt header in the core. Prints each offending line; exits 1 on any.
set -u
src="${1:-$(dirname "$0")/../../src}"
stages=(model census analysis files picture)
status=0
for i in "${!stages[@]}"; do
    allowed="${stages[*]:0:i+1}"
    while IFS= read -r hit; do
        folder=$(sed -E 's/.*#include *"([a-z_]+)\/.*/\1/' <<<"${hit#*:*:}")
        if [[ "$hit" =~ \#include\ *\<Q ]] || [[ " $allowed " != *" $folder "* && "$hit" == *'#include "'*/* ]]; then
            echo "against the pipeline order: $hit"
            status=1
        fi
    done < <(grep -Hn -E '#include *("[a-z_]+/|<Q)' "$src/${stages[i]}"/*.h "$src/${stages[i]}"/*.cpp)
done
exit $status
