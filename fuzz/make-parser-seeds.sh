#!/bin/sh
# Writes the parser fuzzer's seed corpus into the given folder: a small hand-written PDF and
# the variants qpdf makes of it (object streams, compressed streams, linearized, qdf, encrypted),
# plus an incremental update.
set -eu
out=${1:?usage: make-parser-seeds.sh FOLDER}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/body.pdf" <<'PDF'
%PDF-1.4
1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj
2 0 obj << /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 /MediaBox [0 0 612 792] >> endobj
3 0 obj << /Type /Page /Parent 2 0 R /Contents 4 0 R >> endobj
4 0 obj << /Length 23 >> stream
0 0 m 100 100 l S BT ET
endstream endobj
5 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 200.5 300] /Contents [4 0 R 6 0 R] >> endobj
6 0 obj << /Length 12 /Filter /ASCII85Decode >> stream
0H`%lD'1Pe~>
endstream endobj
trailer << /Root 1 0 R /Size 7 >>
PDF
# qpdf reconstructs the missing table of the hand-written text.
qpdf "$work/body.pdf" "$out/classic.pdf" 2>/dev/null || true
qpdf --object-streams=generate "$out/classic.pdf" "$out/objstm.pdf"
qpdf --object-streams=generate --stream-data=compress --compress-streams=y "$out/classic.pdf" "$out/objstm-flate.pdf"
qpdf --linearize "$out/classic.pdf" "$out/linearized.pdf"
qpdf --qdf "$out/classic.pdf" "$out/qdf.pdf"
qpdf --force-version=1.0 --object-streams=disable "$out/classic.pdf" "$out/v10.pdf"
qpdf --encrypt u o 256 -- "$out/classic.pdf" "$out/encrypted.pdf"

# Variants other readers open: bytes before the header, rows of 19 bytes, a stream without Length.
{ printf '@PJL ENTER LANGUAGE = PDF\r\n'; cat "$out/classic.pdf"; } > "$out/prefixed.pdf"
sed 's/ \([nf]\) $/ \1/' "$out/classic.pdf" > "$out/short-rows.pdf"
sed "0,/\/Length [0-9][0-9] /s//\/Length 99 /" "$out/classic.pdf" > "$out/wrong-length.pdf"
# An object stream declaring its decoded length, once about right and once a lie (in place of
# its Type, which takes as many bytes, so that every offset stays right).
sed 's|/Type /ObjStm|/DL 400      |' "$out/objstm-flate.pdf" > "$out/objstm-dl.pdf"
sed 's|/Type /ObjStm|/DL 99999999 |' "$out/objstm-flate.pdf" > "$out/objstm-dl-lie.pdf"

# An incremental update appended by hand to the classic file.
size=$(wc -c < "$out/classic.pdf")
prev=$(tail -n 2 "$out/classic.pdf" | head -n 1)
{
    cat "$out/classic.pdf"
    printf '3 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 50 50] >>\nendobj\n'
    printf 'xref\n3 1\n%010d 00000 n \ntrailer\n<< /Size 7 /Root 1 0 R /Prev %s >>\nstartxref\n%d\n%%%%EOF\n' \
        "$size" "$prev" $((size + 68))
} > "$out/update.pdf"
