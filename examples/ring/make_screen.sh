#!/bin/sh
# Rings the phone with the Flash ringtone of make_swf.py for a caller with a photo, prints the
# timeline and keeps the screen at 6000 ms (the melody after the lead-in) as ringing.png:
#   sh examples/ring/make_screen.sh [path/to/callsvc]
set -e
HERE=$(cd "$(dirname "$0")" && pwd)
CALLSVC=${1:-build/bin/callsvc}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

python3 "$HERE/make_swf.py" "$WORK/ring.swf"
cat >"$WORK/book.json" <<JSON
{"contacts": [{"firstName": "Anna", "lastName": "Berg", "image": "$HERE/../screen/anna.png",
               "numbers": [{"number": "+44 20 7946 0958", "type": 1}],
               "ringtone": "$WORK/ring.swf", "vibration": "heartbeat"}]}
JSON
"$CALLSVC" contacts import "$WORK/book.json" --data "$WORK" >/dev/null
"$CALLSVC" ring +442079460958 --alert-type 4 --ring-volume 64 --answer-after 8000 --dtmf '12#' \
    --for 12000 --screens "$WORK/shots" --data "$WORK"
cp "$WORK/shots/006000-volume.png" "$HERE/ringing.png"
