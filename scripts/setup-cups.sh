#!/bin/sh
# Makes sure a CUPS scheduler is running and that the queue "QuilletPDF" exists,
# prints through the cups-pdf backend, accepts jobs, is enabled and is the
# default destination. It installs nothing (scripts/test.sh does that) and can
# be run any number of times; it works as root without systemd.
set -eu

QUEUE=QuilletPDF

need() {
    if ! command -v "$1" >/dev/null 2>&1; then
        echo "setup-cups: $1 not found (install cups, cups-client and printer-driver-cups-pdf)" >&2
        exit 1
    fi
}
need cupsd
need lpstat
need lpadmin
need cupsenable
need cupsaccept

scheduler_running() {
    lpstat -r 2>/dev/null | grep -qx "scheduler is running"
}

if ! scheduler_running; then
    # cupsd puts itself in the background; it needs its socket folder.
    mkdir -p /run/cups
    cupsd
    tries=0
    until scheduler_running; do
        tries=$((tries + 1))
        if [ "$tries" -gt 50 ]; then
            echo "setup-cups: cupsd did not come up" >&2
            exit 1
        fi
        sleep 0.2
    done
fi

if [ ! -x /usr/lib/cups/backend/cups-pdf ]; then
    echo "setup-cups: the cups-pdf backend is missing (printer-driver-cups-pdf)" >&2
    exit 1
fi

if ! lpstat -v "$QUEUE" >/dev/null 2>&1; then
    ppd=""
    for candidate in /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd \
        /usr/share/ppd/cups-pdf/CUPS-PDF.ppd; do
        if [ -f "$candidate" ]; then
            ppd=$candidate
            break
        fi
    done
    if [ -n "$ppd" ]; then
        lpadmin -p "$QUEUE" -E -v cups-pdf:/ -P "$ppd"
    else
        # Fall back to the model the package registers with the scheduler.
        model=$(lpinfo -m 2>/dev/null | awk 'tolower($0) ~ /cups-pdf/ { print $1; exit }')
        if [ -z "$model" ]; then
            echo "setup-cups: no PPD for cups-pdf found" >&2
            exit 1
        fi
        lpadmin -p "$QUEUE" -E -v cups-pdf:/ -m "$model"
    fi
fi

cupsenable "$QUEUE"
cupsaccept "$QUEUE"
lpadmin -d "$QUEUE"

# Where cups-pdf writes: "Out" of its configuration, ${HOME} being the home of
# the job's owner; jobs of unknown users go to AnonDirName.
conf=/etc/cups/cups-pdf.conf
out='${HOME}/PDF'
anon=/var/spool/cups-pdf/ANONYMOUS
if [ -f "$conf" ]; then
    value=$(awk '$1 == "Out" { $1 = ""; sub(/^ +/, ""); v = $0 } END { print v }' "$conf")
    [ -n "$value" ] && out=$value
    value=$(awk '$1 == "AnonDirName" { $1 = ""; sub(/^ +/, ""); v = $0 } END { print v }' "$conf")
    [ -n "$value" ] && anon=$value
fi
user=$(id -un)
home=$(getent passwd "$user" | cut -d: -f6)
userOut=$(printf '%s\n' "$out" | sed -e "s|\${HOME}|${home:-/root}|g" -e "s|\${USER}|$user|g")

echo "setup-cups: queue $QUEUE ready and default"
echo "setup-cups: cups-pdf output of $user's jobs: $userOut (anonymous jobs: $anon)"
