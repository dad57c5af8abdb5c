#!/usr/bin/env bash
# Encoded-word openers that never close in a part's header, against the same
# text in a Subject, at growing sizes:
#   bash bench/header_words.sh [BUILD-FOLDER]        (default: build/)
# Each mailbox holds one message whose Content-Disposition reads
# filename="=?ISO-2022-JP?B?GyRC=?ISO-2022-JP?B?GyRC... (N bytes of it); its
# twin holds the same bytes in the Subject instead. Both run as a single
# message (.eml) and as a Unix mbox. Prints the CPU time (user + sys) of a
# full build of each, and the ratio of the field to the Subject at the
# largest size; exits 1 when that ratio exceeds 5 (reading such a field
# once took time quadratic in its length: 44 s for a megabyte, against 0.1 s
# for the Subject).
set -euo pipefail
BUILD=${1:-$(cd "$(dirname "$0")/.." && pwd)/build}
SCRATCH=$(mktemp -d /tmp/vorn-words.XXXXXX)
trap 'rm -rf "$SCRATCH"' EXIT

python3 - "$SCRATCH" <<'PY'
import sys
out = sys.argv[1]
unit = "=?ISO-2022-JP?B?GyRC"
for size in (262144, 524288, 1048576):
    words = unit * (size // len(unit))
    for where in ("field", "subject"):
        subject = words if where == "subject" else "t"
        name = words if where == "field" else "a.bin"
        msg = ("From: a@example.jp\nSubject: %s\nMessage-ID: <w@example.jp>\nMIME-Version: 1.0\n"
               "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nhello\n--b\n"
               "Content-Type: application/octet-stream\nContent-Disposition: attachment; filename=\"%s\n"
               "Content-Transfer-Encoding: base64\n\nQUJD\n--b--\n") % (subject, name)
        open("%s/%s-%d.eml" % (out, where, size), "w").write(msg)
        open("%s/%s-%d.mbx" % (out, where, size), "w").write("From a@example.jp Thu Jan  3 01:00:00 2008\n" + msg)
PY

cpu() {
  rm -rf "$SCRATCH/out"
  /usr/bin/time -f "%U %S" -o "$SCRATCH/t" "$BUILD/vorn_htm" -i "$1" -o "$SCRATCH/out" -d y >/dev/null
  awk '{printf "%.2f", $1 + $2}' "$SCRATCH/t"
}

echo "| input | bytes | CPU s, in the field | CPU s, in the Subject |"
echo "|---|---|---|---|"
for kind in eml mbx; do
  for size in 262144 524288 1048576; do
    f=$(cpu "$SCRATCH/field-$size.$kind")
    s=$(cpu "$SCRATCH/subject-$size.$kind")
    echo "| $kind | $size | $f | $s |"
    last_f=$f last_s=$s
  done
  awk -v f="$last_f" -v s="$last_s" -v k="$kind" 'BEGIN {
    r = f / (s > 0.05 ? s : 0.05); printf "%s: field / Subject at 1 MB: %.1f\n", k, r; exit (r > 5) }' || exit 1
done
