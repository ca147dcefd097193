#!/usr/bin/env bash
# MATE's screen-saver daemon with the project installed under DESTDIR, for tst_saver_with_mate.
#   mate-session.sh DESTDIR SAVERS_FOLDER BUS_ADDRESS_FILE
# Runs in a mount namespace of its own (unshare -m): SAVERS_FOLDER, which holds the daemon's
# link to the installed program, is shown at /usr/libexec/xscreensaver there alone, so the
# machine's /usr stays as it is. The daemon runs in a session bus of its own, whose address
# goes to BUS_ADDRESS_FILE for mate-screensaver-command; the daemon's output is this script's.
set -euo pipefail

destdir=$1 savers=$2 address_file=$3

if [ "${DRAVIK_IN_NAMESPACE:-}" != 1 ]; then
  # The link must lead to the installed program by an absolute path: a relative one, as the
  # package has it, would resolve against the machine's /usr inside the mount.
  ln -sfn "$destdir/usr/bin/Dravik2001.scr" "$savers/dravik2001"
  exec unshare -m --propagation private env DRAVIK_IN_NAMESPACE=1 "$0" "$@"
fi
if [ "${DRAVIK_IN_SESSION:-}" != 1 ]; then
  mount --make-rprivate /
  mount --bind "$savers" /usr/libexec/xscreensaver
  exec dbus-run-session -- env DRAVIK_IN_SESSION=1 "$0" "$@"
fi

# Only our saver, started on the command alone, without a lock to get past.
gsettings set org.mate.screensaver themes "['screensavers-dravik2001']"
gsettings set org.mate.screensaver mode single
gsettings set org.mate.screensaver idle-activation-enabled false
gsettings set org.mate.screensaver lock-enabled false
echo "$DBUS_SESSION_BUS_ADDRESS" >"$address_file.part"
mv "$address_file.part" "$address_file"
exec mate-screensaver --no-daemon --debug
