#!/usr/bin/env bash
# Checks the Debian package as a user would meet it: lintian finds no error, the desktop entry,
# the AppStream metadata and the MIME type are accepted by their own tools, the manual pages
# render, the completion offers what the program takes, and the programs unpacked from the
# package run on a real map.
#   check_package.sh PACKAGE.deb VERSION DATA_DIR
set -u
deb=$1 version=$2 data=$3
passed=0 failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() {  # check NAME COMMAND...: runs the command, reports it by name
  local name=$1
  shift
  if "$@" >"$work/out" 2>&1; then
    passed=$((passed + 1))
    echo "ok: $name"
  else
    failed=$((failed + 1))
    echo "FAILED: $name"
    sed 's/^/    /' "$work/out"
  fi
}

no_lintian_errors() {
  # Root is warned about, not refused; only errors fail the package.
  lintian --fail-on error --tag-display-limit 0 "$deb"
}

root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAILED: dpkg-deb -x $deb"; exit 1; }
cli=$root/usr/bin/pomvelt-cli

version_is_the_projects() {
  local shown
  shown=$("$cli" --version) && [ "$shown" = "Pomvelt $version" ] || {
    echo "pomvelt-cli --version printed '$shown', not 'Pomvelt $version'"
    return 1
  }
}

deletes_on_a_real_map() {
  cp "$data/zkir_RussiaBkg.mp" "$work/map.mp" || return 1
  "$cli" delete-elements --kind polygon --type 0x28 --copy "$work/map.mp" || return 1
  local out=$work/map_0x28_deleted.mp
  [ -s "$out" ] || { echo "no $out"; return 1; }
  # Nine polygons of type 0x28 are in the map; none is left, the rest is.
  [ "$(grep -ac '^Type=0x28' "$work/map.mp")" -gt 0 ] && ! grep -aq '^Type=0x28' "$out" &&
    [ "$(grep -ac '^Type=0x3b' "$out")" = "$(grep -ac '^Type=0x3b' "$work/map.mp")" ]
}

manuals_render() {
  local page status=0
  for page in "$root"/usr/share/man/man1/pomvelt.1.gz "$root"/usr/share/man/man1/pomvelt-cli.1.gz; do
    [ -f "$page" ] || { echo "missing $page"; status=1; continue; }
    # Any warning of the formatter is a fault of the page.
    if ! LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >"$work/page" 2>"$work/warnings" ||
      [ -s "$work/warnings" ] || ! grep -q '^NAME' "$work/page"; then
      echo "$page:"
      cat "$work/warnings"
      status=1
    fi
  done
  return $status
}

mime_type_is_known() {
  cp -r "$root/usr/share/mime" "$work/mime" && update-mime-database "$work/mime" &&
    grep -q 'text/x-polish-mp:\*\.mp$' "$work/mime/globs2"
}

# complete WORDS...: what the completion offers for the last word, one per line, sorted.
complete_words() {
  (cd "$work/files" && bash -c '
    source "$0"
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    _pomvelt_cli
    printf "%s\n" "${COMPREPLY[@]}" | sort' \
    "$root/usr/share/bash-completion/completions/pomvelt-cli" "$@")
}

completion_offers() {
  mkdir -p "$work/files/maps" && touch "$work/files/a.mp" "$work/files/b.txt" "$work/files/c.img"
  local status=0 commands
  commands=$("$cli" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p' | sort)
  [ -n "$commands" ] || { echo "no commands in pomvelt-cli --help"; return 1; }
  # words typed | what must be offered (blank-separated, in sorted order)
  while IFS='|' read -r words expected; do
    got=$(eval "complete_words pomvelt-cli $words" | tr '\n' ' ' | sed 's/ $//')
    if [ "$got" != "$expected" ]; then
      echo "pomvelt-cli $words<TAB>: offered '$got', expected '$expected'"
      status=1
    fi
  done <<CASES
''|$(printf '%s\n' $commands --help --version | sort | tr '\n' ' ' | sed 's/ $//')
delete-elements --kind ''|line point polygon
replace-type --kind ''|line polygon
convert --translit to|to-russian to-translit
delete-elements --ty|--type
delete-elements ''|a.mp maps
convert ''|a.mp c.img maps
delete-elements -- --k|
undo ''|maps
CASES
  return $status
}

check "lintian reports no error" no_lintian_errors
check "desktop-file-validate" desktop-file-validate "$root"/usr/share/applications/*.desktop
check "appstreamcli validate" appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml
check "the MIME type of maps is installed" mime_type_is_known
check "pomvelt-cli --version" version_is_the_projects
check "pomvelt-cli delete-elements on a real map" deletes_on_a_real_map
check "the manual pages render" manuals_render
check "bash completion" completion_offers
for program in pomvelt pomvelt-cli; do
  check "$program is installed" test -x "$root/usr/bin/$program"
done

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
