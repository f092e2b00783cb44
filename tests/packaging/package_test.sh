#!/bin/bash
# Builds the Debian package from the built tree, inspects it, unpacks it into
# a scratch root and packs the examples with the programs from there.
# Usage: package_test.sh BUILD_DIR EXAMPLES_DIR VERSION WITH_GUI
build=$1 examples=$2 version=$3 with_gui=$4
for tool in cpack dpkg-deb dpkg-shlibdeps; do
    if ! command -v $tool >/dev/null; then
        echo "SKIPPED: $tool is not installed (packages cmake, dpkg-dev)"
        exit 77
    fi
done
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log"
    echo "FAIL: cpack could not build the package"
    exit 1
fi
deb=$scratch/out/tessolo_${version}_$(dpkg --print-architecture).deb
if [[ ! -f $deb ]]; then
    echo "FAIL: no $(basename "$deb"); cpack made: $(ls "$scratch/out")"
    exit 1
fi

# The control fields.
field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == tessolo ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)', the program's is $version"
[[ $(field Section) == graphics ]] || fail "Section is '$(field Section)'"
[[ $(field Maintainer) == *"<"*@*">" ]] || fail "Maintainer '$(field Maintainer)' has no address"
[[ $(field Description | wc -l) -ge 4 ]] || fail "Description is only '$(field Description)'"
depends=$(field Depends)
depended=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
libraries="libc6 libstdc++6 zlib1g libjpeg62-turbo"
[[ $with_gui == ON ]] && libraries+=" libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6"
for library in $libraries; do
    grep -qxF "$library" <<<"$depended" || fail "Depends lacks $library: $depends"
done

# Every file where it belongs, and nothing else.
contents=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }')
expected="./usr/bin/tessolo-cli
./usr/share/bash-completion/completions/tessolo-cli
./usr/share/doc/tessolo/copyright
./usr/share/man/man1/tessolo-cli.1.gz
./usr/share/tessolo/ChangeLog.txt
./usr/share/tessolo/help/index.html"
[[ $with_gui == ON ]] && expected+="
./usr/bin/tessolo
./usr/share/applications/tessolo.desktop
./usr/share/icons/hicolor/128x128/apps/tessolo.png
./usr/share/icons/hicolor/scalable/apps/tessolo.svg
./usr/share/man/man1/tessolo.1.gz"
while read -r file; do
    grep -qx -- "$file" <<<"$contents" || fail "the package lacks $file"
done <<<"$expected"
while read -r file; do
    case $file in
        ./usr/bin/tessolo | ./usr/bin/tessolo-cli | ./usr/share/applications/* | ./usr/share/icons/* | \
            ./usr/share/tessolo/* | ./usr/share/man/man1/* | ./usr/share/bash-completion/* | \
            ./usr/share/doc/tessolo/copyright) ;;
        *) fail "the package holds $file, which does not belong there" ;;
    esac
done <<<"$contents"

# Unpacked into a scratch root, the programs run and build without the
# build folder.
root=$scratch/root
dpkg -x "$deb" "$root"
gzip -t "$root/usr/share/man/man1/tessolo-cli.1.gz" || fail "tessolo-cli.1.gz is not a gzip file"
run() { env -u LD_LIBRARY_PATH XDG_CONFIG_HOME="$scratch/config" "$@"; }
[[ $(run "$root/usr/bin/tessolo-cli" --version) == "tessolo-cli $version" ]] ||
    fail "tessolo-cli --version printed '$(run "$root/usr/bin/tessolo-cli" --version 2>&1)'"
if [[ $with_gui == ON ]]; then
    [[ $(run "$root/usr/bin/tessolo" --version) == "tessolo $version" ]] ||
        fail "tessolo --version printed '$(run "$root/usr/bin/tessolo" --version 2>&1)'"
fi
cp -r "$examples" "$scratch/icons"
if run "$root/usr/bin/tessolo-cli" --type png --name sheet "$scratch/icons" >"$scratch/css.out" 2>"$scratch/build.log"; then
    images=$(ls "$examples" | grep -Eic '\.(png|jpe?g|gif|bmp)$')
    [[ $(grep -c '^\.sprite-' "$scratch/icons/sheet.css") -eq $images ]] ||
        fail "sheet.css has not one rule for each of the $images images"
    [[ $(head -c 8 "$scratch/icons/sheet.png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] ||
        fail "sheet.png is not a PNG file"
else
    fail "the unpacked tessolo-cli failed to pack the examples: $(cat "$scratch/build.log")"
fi

[[ $failures -eq 0 ]] && echo "package $(basename "$deb"): all checks passed"
exit $((failures > 0))
