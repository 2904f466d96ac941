#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it from there as a
# user would: the program's version, a manual page through man, the bash
# completion of "qvaddin ch<TAB>" and of a module of the example project;
# then builds the .deb and checks that it holds the programs, the pages,
# the completions, the desktop entry and the Neovim set-up.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check NAME COMMAND...: one result line per check
    if "${@:2}"; then
        passed=$((passed + 1)); echo "ok: $1"
    else
        failed=$((failed + 1)); echo "FAILED: $1"
    fi
}
export XDG_CONFIG_HOME="$work/config" HOME="$work"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
version=$(sed -n 's/^project(qvaddin VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")

check "qvaddin --version from the prefix" \
    test "$("$prefix/bin/qvaddin" --version)" = "qvaddin $version"
page=$(MANPAGER=cat MANWIDTH=80 man -l "$prefix/share/man/man1/qvaddin-check.1" 2>&1)
check "man -l shows the check command's page" grep -Eq "^ +qvaddin-check +- +Judge +the +error" <<<"$page"
check "the page lists the command's options" grep -q "^       --source-root <folder>" <<<"$page"

# What bash offers for the words of a line, with the completion as
# installed: the function that "complete -p qvaddin" names.
complete_line() {
    PATH="$prefix/bin:$PATH" bash --norc -c '
        source "$1"; shift
        function=$(complete -p qvaddin | sed -n "s/.*-F \([^ ]*\) .*/\1/p")
        COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=()
        "$function" qvaddin "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
        printf "%s\n" "${COMPREPLY[@]}"' complete_line \
        "$prefix/share/bash-completion/completions/qvaddin" "$@"
}
check "qvaddin ch<TAB> completes to check" test "$(complete_line qvaddin ch)" = "check"
cp -r "$source_dir/examples" "$work/project"
check "--module <TAB> offers the modules of the target" \
    test "$(cd "$work/project" && complete_line qvaddin tidy Example.vbp --module m | tr '\n' ' ')" = "modMain "

# The Debian package.
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
contents=$(dpkg-deb --contents "$work"/package/qvaddin_*.deb)
for path in ./usr/bin/qvaddin ./usr/bin/qvaddin-workbench ./usr/share/man/man1/qvaddin.1 \
            ./usr/share/man/man1/qvaddin-check.1 ./usr/share/man/man1/qvaddin-workbench.1 \
            ./usr/share/bash-completion/completions/qvaddin \
            ./usr/share/zsh/vendor-completions/_qvaddin \
            ./usr/share/fish/vendor_completions.d/qvaddin.fish \
            ./usr/share/applications/qvaddin-workbench.desktop \
            ./usr/share/nvim/site/pack/qvaddin/start/qvaddin/lua/qvaddin/init.lua \
            ./usr/share/qvaddin/editors/helix/languages.toml; do
    check "the package holds $path" grep -q " $path\$" <<<"$contents"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
