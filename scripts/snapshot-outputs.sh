#!/usr/bin/env bash
# Writes a manifest of everything a build produces that must not change when the code is
# only reorganised: every writer's output for every readable real test file and sample,
# every picture the render tests draw, and the tool-bar button pictures. Two manifests
# compare with diff:
#
#   scripts/snapshot-outputs.sh build/default before.txt   # on the old tree
#   scripts/snapshot-outputs.sh build/default after.txt    # on the new tree
#   diff before.txt after.txt
#
# The build folder must hold kestrilune-convert, tests/kestrilune_tests and
# tests/kestrilune_shell_tests. Each line is "<sha256>  <what>"; a conversion that fails
# is recorded with its exit status instead of a hash. KEEP=folder keeps the files.
set -uo pipefail
build=$(realpath "$1")
manifest=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
real=${KESTRILUNE_REAL_DATA:-$root/tests/data/real}
[[ -d $real ]] || real=$(realpath -m "$root/../shared/testdata/real")
work=${KEEP:-$(mktemp -d)}
mkdir -p "$work"
convert="$build/kestrilune-convert"

readable=$("$convert" --help | sed -n 's/^  reads: *//p')
writable=$("$convert" --help | sed -n 's/^  writes: *//p')

is_readable() {
    local ext=".${1##*.}"
    ext=${ext,,}
    for r in $readable; do [[ $r == "$ext" ]] && return 0; done
    return 1
}

: >"$manifest.tmp"
inputs=()
while IFS= read -r f; do is_readable "$f" && inputs+=("$f"); done < <(
    { find "$real" -type f; find "$root/samples" -type f; } | LC_ALL=C sort)

for input in "${inputs[@]}"; do
    case $input in
        "$real"/*) label="real/${input#"$real"/}" ;;
        *) label="samples/${input#"$root/samples/"}" ;;
    esac
    for w in $writable; do
        out="$work/conv/$label$w.d"
        rm -rf "$out"
        mkdir -p "$out"
        base=$(basename "${input%.*}")
        "$convert" "$input" "$out/$base$w" >/dev/null 2>"$out.err"
        status=$?
        if ((status != 0)); then
            echo "exit-$status  convert $label -> $w" >>"$manifest.tmp"
        fi
        # Every file the writer made (a writer may write companions beside its file).
        (cd "$out" && find . -type f | LC_ALL=C sort | while IFS= read -r f; do
            echo "$(sha256sum <"$f" | cut -d' ' -f1)  convert $label -> ${f#./}"
        done) >>"$manifest.tmp"
    done
done

# The render tests' pictures, every one drawn (not only those that differ).
rm -rf "$work/render"
(cd "$build/tests" && KESTRILUNE_RENDER_DUMP="$work/render" ./kestrilune_tests \
    --gtest_filter='Render*:Surface*:*Golden*' >"$work/render.log" 2>&1) ||
    echo "render tests failed (see $work/render.log)" >&2
rm -rf "$work/icons"
(cd "$build/tests" && KESTRILUNE_ICON_DUMP="$work/icons" QT_QPA_PLATFORM=offscreen \
    ./kestrilune_shell_tests --gtest_filter='ToolIcons*' >"$work/icons.log" 2>&1) ||
    echo "icon test failed (see $work/icons.log)" >&2
for dir in render icons; do
    [[ -d $work/$dir ]] || continue
    (cd "$work/$dir" && find . -type f | LC_ALL=C sort | while IFS= read -r f; do
        echo "$(sha256sum <"$f" | cut -d' ' -f1)  $dir ${f#./}"
    done) >>"$manifest.tmp"
done
mv "$manifest.tmp" "$manifest"
echo "$(wc -l <"$manifest") entries in $manifest"
[[ -n ${KEEP:-} ]] || rm -rf "$work"
