#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program, checked as a user's system reads it. CTest runs one
# step per test: installed_test.sh STEP, with BUILD_DIR, PREFIX, VERSION,
# BUILD_TYPE, APP_ID, CMAKE and CPACK in the environment. "install" installs
# the build into PREFIX afresh; the other steps check that install.
set -euo pipefail

failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}
# No display: the programs must answer --help and --version without one.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
installed_files() { (cd "$PREFIX" && find . -type f -printf '%P\n' | sort); }

case $1 in
  install)
    rm -rf "$PREFIX"
    "$CMAKE" --install "$BUILD_DIR" --prefix "$PREFIX" >/dev/null
    ;;

  files)
    # The window program's files, the licence and changelog, every program
    # with its manual page and bash completion and each of those with its
    # program, udev rules; nothing else.
    fixed=("share/applications/$APP_ID.desktop" "share/metainfo/$APP_ID.metainfo.xml"
      "share/icons/hicolor/48x48/apps/$APP_ID.png" "share/icons/hicolor/256x256/apps/$APP_ID.png"
      "share/icons/hicolor/scalable/apps/$APP_ID.svg" share/doc/quibran/{copyright,changelog.Debian.gz})
    completions=share/bash-completion/completions
    for file in bin/quibran bin/quibran-batch "${fixed[@]}"; do
      [[ -f $PREFIX/$file ]] || fail "not installed: $file"
    done
    while read -r file; do
      case $file in
        bin/*) [[ -f $PREFIX/share/man/man1/${file#bin/}.1.gz && -f $PREFIX/$completions/${file#bin/} ]] ||
          fail "no manual page or no bash completion for $file" ;;
        share/man/man1/*.1.gz | "$completions"/*)
          program=${file##*/}
          [[ -x $PREFIX/bin/${program%.1.gz} ]] || fail "manual page or completion of no program: $file"
          ;;
        lib/udev/rules.d/*.rules) ;;
        *) printf '%s\n' "${fixed[@]}" | grep -qxF "$file" || fail "installed but not used: $file" ;;
      esac
    done < <(installed_files)
    ;;

  programs)
    for program in "$PREFIX"/bin/*; do
      for option in --version -V; do
        answer=$(headless "$program" $option) || fail "${program##*/} $option: exit status $?"
        [[ $answer == "${program##*/} $VERSION" ]] || fail "${program##*/} $option said '$answer'"
      done
    done
    help=$(headless "$PREFIX/bin/quibran" -h) || fail "quibran -h: exit status $?"
    [[ $help == *--version* ]] || fail "quibran -h: $help"
    # Qt's one-word options are not read letter by letter (-platformtheme
    # holds an h), and nothing after "--" is an option.
    for args in "-platformtheme x -V" "-V -- --help"; do
      [[ $(headless "$PREFIX/bin/quibran" $args) == "quibran $VERSION" ]] || fail "quibran $args"
    done
    # A small job from the installed tool, in a folder of its own.
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    names=$(cd "$work" && "$PREFIX/bin/quibran-batch" --source mt --file-type asc --number-type int16 --count 100 \
      --files 2 --seed 1 --quiet)
    [[ $names == $'./RAND0001.ASC\n./RAND0002.ASC' ]] || fail "quibran-batch wrote '$names'"
    for file in RAND0001.ASC RAND0002.ASC; do
      lines=$(grep -cE '^[0-9]+'$'\r''$' "$work/$file") || true
      [[ $lines == 100 && $(wc -l <"$work/$file") == 100 ]] || fail "$file: not 100 lines of whole numbers"
    done
    ;;

  desktop-entry)
    entry=$PREFIX/share/applications/$APP_ID.desktop
    report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate failed"
    [[ -z $report ]] || fail "desktop-file-validate: $report"
    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [[ -x $PREFIX/bin/$exec ]] || fail "Exec=$exec is no installed program"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [[ $icon == "$APP_ID" && -f $PREFIX/share/icons/hicolor/scalable/apps/$icon.svg ]] || fail "Icon=$icon"
    ;;

  appstream)
    appstreamcli validate-tree --no-net "$PREFIX" || fail "appstreamcli validate-tree"
    # What software centres show, which the validator does not ask for.
    metainfo=$PREFIX/share/metainfo/$APP_ID.metainfo.xml
    for element in '<name>' '<summary>' '<description>' '<screenshot ' '<content_rating ' '<project_license>' \
      "<release version=\"$VERSION\""; do
      grep -qF -- "$element" "$metainfo" || fail "the metainfo has no $element"
    done
    ;;

  man-pages)
    for page in "$PREFIX"/share/man/man1/*.1.gz; do
      name=$(basename "$page" .1.gz)
      mandoc -T lint "$page" || fail "mandoc -T lint: $name"
      warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
      [[ -z $warnings ]] || fail "man -l $name: $warnings"
      # The page documents every option that the program's --help names.
      text=$(mandoc -T ascii "$page" | sed 's/.\x08//g')
      options=$(headless "$PREFIX/bin/$name" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u) ||
        fail "$name --help: exit status $?"
      [[ -n $options ]] || fail "$name --help names no option"
      for option in $options; do
        grep -qF -- "$option" <<<"$text" || fail "$name.1 does not document $option"
      done
    done
    ;;

  bash-completion)
    # What completing the last of WORD... offers, on one line, from the
    # completion file FILE in a bash of its own.
    completes() {
      bash -c 'source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        spec=$(complete -p "$1"); function=${spec##*-F }
        "${function%% *}" "$1" "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
        echo "${COMPREPLY[*]}"' completes "$@"
    }
    completions=$PREFIX/share/bash-completion/completions
    # Every option that the program's --help names (its examples aside), and
    # -h and -V.
    for program in "$PREFIX"/bin/*; do
      name=${program##*/}
      offered=" $(completes "$completions/$name" "$name" -) "
      options=$(headless "$program" --help | sed '/^Examples:/,$d' | grep -oE -- '--[a-z][a-z-]*' | sort -u)
      for option in -h -V $options; do
        [[ $offered == *" $option "* ]] || fail "the completion of $name does not offer $option"
      done
    done
    # Values, also after "=" (--source=m), and a file's name after "--".
    while IFS=: read -r expected words; do
      offered=$(completes "$completions/${words%% *}" $words)
      [[ $offered == "$expected" ]] || fail "completing '$words' offered '$offered', not '$expected'"
    done <<'EOF'
mt mtwh:quibran-batch --source m
mt mtwh:quibran-batch --source = m
long31 long32:quibran-batch --number-type l
:quibran-check -- --s
EOF
    ;;

  debian-package)
    # The package holds what cmake --install installs, under /usr, and
    # depends on the packages of the libraries the programs link.
    out=$(mktemp -d)
    trap 'rm -rf "$out"' EXIT
    "$CPACK" -G DEB -B "$out" --config "$BUILD_DIR/CPackConfig.cmake" >/dev/null
    deb=$(echo "$out"/quibran_"$VERSION"-*_"$(dpkg --print-architecture)".deb)
    [[ -f $deb ]] || fail "no $deb"
    # Its version is the newest in its changelog, a packaging of this one.
    version=$(dpkg-deb -f "$deb" Version)
    dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/quibran/changelog.Debian.gz | gunzip >"$out/changelog"
    newest=$(dpkg-parsechangelog -l "$out/changelog" -S Version)
    [[ $version == "$newest" && $version == "$VERSION"-* ]] || fail "version $version, changelog $newest"
    # Lintian judges the package that ships, the release build's (the
    # others are not hardened).
    if [[ $BUILD_TYPE == Release ]]; then
      report=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian: $report"
    fi
    depends=", $(dpkg-deb -f "$deb" Depends)"
    for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
      [[ $depends == *", $package "* ]] || fail "Depends has no $package: $depends"
    done
    [[ $(dpkg-deb -f "$deb" Recommends) == qt6-wayland ]] || fail "Recommends is not qt6-wayland"
    diff <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's#^\./usr/##' | sort) <(installed_files) ||
      fail "the package's files differ from the install's"
    ;;

  *)
    echo "unknown step: $1" >&2
    exit 2
    ;;
esac
exit "$failed"
