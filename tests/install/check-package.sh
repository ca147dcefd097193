#!/usr/bin/env bash
# Checks what an install puts where the desktop and the screen-saver daemons look: everything
# the desktop entries, the daemon's description and the AppStream file name is there, and the
# manual pages man finds; the package passes Debian's own checker with no error or warning.
#   check-package.sh BUILD_DIR [deb]   builds the Debian package and checks it, unpacked
#   check-package.sh BUILD_DIR install checks `cmake --install` into a throwaway prefix
set -euo pipefail

build_dir=$1
mode=${2:-deb}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in desktop-file-validate xmllint appstreamcli man lintian; do
  command -v "$tool" >/dev/null || fail "$tool is missing; tools/install-deps.sh installs it"
done

check_programs() {
  local prefix=$1
  for program in Dravik2001.scr dravik-install; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
  done
}

# An entry's icon, from the hicolor theme the install fills.
check_icon() {
  local prefix=$1 entry=$2 icon
  icon=$(sed -n 's/^Icon=//p' "$entry")
  compgen -G "$prefix/share/icons/hicolor/*/apps/$icon.png" >/dev/null \
    || fail "$(basename "$entry") shows icon $icon, which is not installed"
}

check_application_entries() {
  local prefix=$1 entry command
  local entries=("$prefix"/share/applications/*.desktop)
  [ ${#entries[@]} -eq 2 ] || fail "expected two desktop entries, found ${#entries[@]}"
  for entry in "${entries[@]}"; do
    desktop-file-validate "$entry" || fail "$(basename "$entry") is not a valid desktop entry"
    command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$prefix/bin/$command" ] || fail "$(basename "$entry") runs $command, which is not installed"
    check_icon "$prefix" "$entry"
  done
  grep -qx 'Exec=Dravik2001.scr /c' "$prefix/share/applications/dravik2001-settings.desktop" \
    || fail "the settings entry does not open the settings window"
}

# The entry MATE's daemon lists among its screen savers. The daemon runs only programs in its
# own saver folders, so the entry names the libexec/xscreensaver link by the path it has once
# installed under the prefix the install was made for.
check_screensaver_entry() {
  local prefix=$1 made_for=$2
  local entry=$prefix/share/applications/screensavers/dravik2001.desktop
  local program=$made_for/libexec/xscreensaver/dravik2001
  [ -f "$entry" ] || fail "share/applications/screensavers/dravik2001.desktop is missing"
  desktop-file-validate "$entry" || fail "the screen-saver entry is not a valid desktop entry"
  grep -qx "Exec=$program --root" "$entry" || fail "the screen-saver entry does not run $program --root"
  grep -qx "TryExec=$program" "$entry" || fail "the screen-saver entry has no TryExec=$program"
  [ "$(realpath -e "$prefix/libexec/xscreensaver/dravik2001")" = "$(realpath -e "$prefix/bin/Dravik2001.scr")" ] \
    || fail "the screen-saver entry's program does not lead to the installed program"
  grep -qx 'OnlyShowIn=MATE;' "$entry" || fail "the screen-saver entry is not shown in MATE alone"
  grep -qx 'Categories=Screensaver;' "$entry" || fail "the screen-saver entry is not in the Screensaver category"
  check_icon "$prefix" "$entry"
}

# The name xscreensaver runs from its hacks directory, which it puts in front of PATH.
check_daemon_link() {
  local prefix=$1
  local link=$prefix/libexec/xscreensaver/dravik2001
  [ -L "$link" ] || fail "libexec/xscreensaver/dravik2001 is not a symbolic link"
  [ "$(readlink "$link")" = "../../bin/Dravik2001.scr" ] \
    || fail "libexec/xscreensaver/dravik2001 points at $(readlink "$link"), not ../../bin/Dravik2001.scr"
  [ "$(realpath -e "$link")" = "$(realpath -e "$prefix/bin/Dravik2001.scr")" ] \
    || fail "libexec/xscreensaver/dravik2001 does not lead to the installed program"
}

# The settings dialog's description, named like the link and in the daemon's own format.
check_daemon_description() {
  local prefix=$1
  local xml=$prefix/share/xscreensaver/config/dravik2001.xml
  [ -f "$xml" ] || fail "share/xscreensaver/config/dravik2001.xml is missing"
  xmllint --noout "$xml" || fail "dravik2001.xml does not parse"
  [ "$(xmllint --xpath 'string(/screensaver/@name)' "$xml")" = "dravik2001" ] \
    || fail "dravik2001.xml does not describe the display mode dravik2001"
  [ "$(xmllint --xpath 'string(/screensaver/@_label)' "$xml")" = "Dravik 2001" ] \
    || fail "dravik2001.xml is not labelled Dravik 2001"
  [ "$(xmllint --xpath 'string(/screensaver/command/@arg)' "$xml")" = "--root" ] \
    || fail "dravik2001.xml does not run the saver with --root"
  [ "$(xmllint --xpath 'count(/screensaver/*[not(self::command or self::_description)])' "$xml")" = 0 ] \
    || fail "dravik2001.xml offers options the saver does not take"
  local description
  description=$(xmllint --xpath 'string(/screensaver/_description)' "$xml")
  for mention in 'Dravik2001.scr /c' 'dravik-install'; do
    grep -qF "$mention" <<<"$description" || fail "the description does not mention $mention"
  done
}

check_metainfo() {
  local prefix=$1
  local metainfo=$prefix/share/metainfo/org.dravik2001.dravik2001.metainfo.xml
  [ -f "$metainfo" ] || fail "share/metainfo/org.dravik2001.dravik2001.metainfo.xml is missing"
  appstreamcli validate --no-net "$metainfo" || fail "the AppStream file does not validate"
  [ "$(xmllint --xpath 'string(/component/id)' "$metainfo")" = "org.dravik2001.dravik2001" ] \
    || fail "the AppStream file's id differs from its file name"
  local launchable binary
  launchable=$(xmllint --xpath 'string(/component/launchable[@type="desktop-id"])' "$metainfo")
  [ -f "$prefix/share/applications/$launchable" ] || fail "the AppStream file launches $launchable, which is not installed"
  for binary in $(xmllint --xpath '/component/provides/binary/text()' "$metainfo"); do
    [ -x "$prefix/bin/$binary" ] || fail "the AppStream file provides $binary, which is not installed"
  done
}

# The pages man finds under the prefix alone, by section and name; the saver's page also by the
# name xscreensaver's settings program asks for.
check_manual_pages() {
  local prefix=$1 page found
  for page in '6 Dravik2001.scr' '6 dravik2001' '1 dravik-install'; do
    # shellcheck disable=SC2086 # section and name are two words
    found=$(man -M "$prefix/share/man" -w $page 2>/dev/null) || fail "man finds no page for $page"
    [ -n "$(man -M "$prefix/share/man" -P cat $page 2>/dev/null)" ] || fail "the page for $page is empty"
    case $found in "$prefix"/share/man/*) ;; *) fail "man found $found for $page, outside the install" ;; esac
  done
}

# check_layout FILES_PREFIX MADE_FOR: the files unpacked under FILES_PREFIX, for the prefix MADE_FOR.
check_layout() {
  local prefix=$1 made_for=$2
  check_programs "$prefix"
  check_application_entries "$prefix"
  check_screensaver_entry "$prefix" "$made_for"
  check_daemon_link "$prefix"
  check_daemon_description "$prefix"
  check_metainfo "$prefix"
  check_manual_pages "$prefix"
  [ "$("$prefix/bin/dravik-install" --version)" = "dravik-install 1.00" ] || fail "dravik-install --version does not say 1.00"
  local photos
  photos=$(find "$prefix/share/dravik2001/draviks" -name '*.jpg' | wc -l)
  [ "$photos" -ge 10 ] || fail "the demo collection holds $photos photos"
}

check_control() {
  local deb=$1 depends suggests
  depends=$(dpkg-deb -f "$deb" Depends)
  for library in libqt6core6 libqt6gui6 libqt6widgets6; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
  done
  [ "$(dpkg-deb -f "$deb" Version)" = "1.00" ] || fail "package version is not 1.00"
  suggests=$(dpkg-deb -f "$deb" Suggests)
  for alternatives in 'xscreensaver | mate-screensaver' 'xss-lock | xautolock | swayidle'; do
    grep -qF "$alternatives" <<<"$suggests" || fail "Suggests lacks $alternatives: $suggests"
  done
  # Registering with a daemon is each user's choice; the package edits no other package's files.
  dpkg-deb -e "$deb" "$work/control"
  for script in preinst postinst prerm postrm config triggers; do
    [ ! -e "$work/control/$script" ] || fail "the package has a $script script"
  done
}

case $mode in
deb)
  cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
  deb=$(find "$work/out" -maxdepth 1 -name 'dravik2001_*.deb' | head -n 1)
  [ -n "$deb" ] || fail "no .deb was made"
  dpkg-deb -x "$deb" "$work/root"
  check_control "$deb"
  check_layout "$work/root/usr" /usr
  # Every error and warning fails, as does lintian failing to check at all; what it reports
  # besides is shown.
  lintian --pedantic --display-info --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 \
    || { cat "$work/lintian.log" >&2; fail "lintian reports errors or warnings, or could not check the package"; }
  cat "$work/lintian.log"
  echo "package $(basename "$deb"): all checks passed"
  ;;
install)
  cmake --install "$build_dir" --prefix "$work/prefix" >"$work/install.log" 2>&1 \
    || { cat "$work/install.log" >&2; fail "cmake --install failed"; }
  check_layout "$work/prefix" "$work/prefix"
  echo "cmake --install: all checks passed"
  ;;
*)
  fail "unknown mode $mode (deb or install)"
  ;;
esac
