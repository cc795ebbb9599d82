#!/bin/sh
# Checks that the layers of src/ point down only: a file includes nothing from
# a folder above its own or beside it, and nothing in the core includes a
# header of Qt's widgets or GUI modules or links them. Prints every offence
# and fails if there is one.
set -eu
cd "$(dirname "$0")/.."

# The rank of a folder under src/: lower layers first. Folders of one rank
# stand side by side and do not include each other.
rank() {
    case "$1" in
    core/platform) echo 0 ;;
    core/hid) echo 1 ;;
    core/link | core/sim) echo 2 ;;
    core/registers | core/regtexts) echo 3 ;;
    core/regfiles) echo 4 ;;
    core/operations) echo 5 ;;
    windows | cli | python) echo 6 ;;
    *) echo "" ;;
    esac
}

# The folder a project include names: "core/link/boardlink.h" -> core/link;
# the windows' generated ui_*.h headers belong to the windows.
folder_of_include() {
    case "$1" in
    ui_*.h) echo windows ;;
    core/*/*) echo "$1" | cut -d/ -f1-2 ;;
    */*) echo "$1" | cut -d/ -f1 ;;
    *) echo "" ;;
    esac
}

qt_headers=$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null ||
    echo /usr/include/x86_64-linux-gnu/qt6)
failures=0
fail() {
    echo "layers: $*" >&2
    failures=$((failures + 1))
}

for file in $(find src -name '*.h' -o -name '*.cpp' | sort); do
    dir=$(dirname "${file#src/}")
    own=$(rank "$dir")
    [ -n "$own" ] || { fail "$file lies in a folder of no layer ($dir)"; continue; }
    grep -n '^#include "' "$file" | while IFS= read -r line; do
        include=$(echo "$line" | sed 's/^[0-9]*:#include "\(.*\)".*/\1/')
        target=$(folder_of_include "$include")
        [ -n "$target" ] || { echo "$file: $include is not named by its folder"; continue; }
        [ "$target" = "$dir" ] && continue
        theirs=$(rank "$target")
        if [ -z "$theirs" ] || [ "$theirs" -gt "$own" ]; then
            echo "$file includes $include from $target, a layer above $dir"
        elif [ "$theirs" -eq "$own" ]; then
            echo "$file includes $include from $target, beside $dir"
        fi
    done >"$file.layers~" 2>&1 || true
    if [ -s "$file.layers~" ]; then
        while IFS= read -r offence; do fail "$offence"; done <"$file.layers~"
    fi
    rm -f "$file.layers~"
    case "$dir" in
    core/*)
        for header in $(sed -n 's/^#include <\([^>]*\)>.*/\1/p' "$file"); do
            name=${header##*/}
            for module in QtWidgets QtGui; do
                if [ -e "$qt_headers/$module/$name" ] || [ "${header%%/*}" = "$module" ]; then
                    fail "$file includes <$header> of $module: the core has no widgets"
                fi
            done
        done
        ;;
    esac
done

if grep -Eq 'Qt6::(Widgets|Gui)' src/core/CMakeLists.txt; then
    fail "src/core/CMakeLists.txt links Qt's widgets or GUI"
fi

[ "$failures" -eq 0 ] || exit 1
echo "layers: every include points down"
