#!/usr/bin/env bash
# Builds the documents and archives that the document recognisers' tests carve, with real tools
# only: LibreOffice headless for DOC, XLS and PPT, ghostscript for PDF (the incremental update is
# appended here and checked by qpdf), zip for ZIP; TXT, RTF, HTML and XML are written here.
# Files are cached in the folder given and rebuilt when this script changes. A missing tool is a
# failure, never a skip.
set -euo pipefail

out=${1:?usage: build-doc-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set docs "$here/build-doc-fixtures.sh" "$out"

need_tools soffice gs qpdf zip unzip sha256sum

make_scratch
# LibreOffice keeps its profile under HOME; give it a fresh writable one.
export HOME="$tmp/home"
mkdir -p "$HOME"

fail() { echo "build-doc-fixtures: $*" >&2; exit 1; }
# convert SOURCE FORMAT: LibreOffice headless conversion into $tmp.
convert() {
  soffice --headless --norestore --convert-to "$2" --outdir "$tmp" "$1" >>"$log" 2>&1 \
    || fail "soffice could not convert $1 to $2 (see $log)"
  local made="$tmp/$(basename "${1%.*}").$2"
  [ -s "$made" ] || fail "soffice made no $made (see $log)"
}

# --- Office documents ------------------------------------------------------------------------
for i in $(seq 1 60); do
  echo "Line $i of the Tarvosk fixture document, written for the carving tests."
done > "$tmp/letter.txt"
convert "$tmp/letter.txt" doc
cp "$tmp/letter.doc" "$out/letter.doc"

{
  echo "Name,Count,Price"
  for i in $(seq 1 300); do echo "Item $i,$i,$((i * 3)).50"; done
} > "$tmp/sheet.csv"
convert "$tmp/sheet.csv" xls
cp "$tmp/sheet.xls" "$out/sheet.xls"

cat > "$tmp/slides.fodp" <<'FODP'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
  office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:body>
  <office:presentation>
   <draw:page draw:name="page1">
    <draw:frame svg:width="20cm" svg:height="3cm" svg:x="2cm" svg:y="2cm">
     <draw:text-box><text:p>Tarvosk fixture slide one</text:p></draw:text-box>
    </draw:frame>
   </draw:page>
   <draw:page draw:name="page2">
    <draw:frame svg:width="20cm" svg:height="3cm" svg:x="2cm" svg:y="2cm">
     <draw:text-box><text:p>Tarvosk fixture slide two</text:p></draw:text-box>
    </draw:frame>
   </draw:page>
  </office:presentation>
 </office:body>
</office:document>
FODP
convert "$tmp/slides.fodp" ppt
cp "$tmp/slides.ppt" "$out/slides.ppt"

# --- PDF ---------------------------------------------------------------------------------------
cat > "$tmp/pages.ps" <<'PS'
%!PS
/Helvetica findfont 14 scalefont setfont
72 720 moveto (Tarvosk fixture PDF, page one) show
showpage
72 720 moveto (Tarvosk fixture PDF, page two) show
showpage
PS
gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pdfwrite -o "$out/single.pdf" "$tmp/pages.ps" >>"$log" 2>&1 \
  || fail "ghostscript could not write single.pdf (see $log)"
[ "$(grep -a -c '%%EOF' "$out/single.pdf")" = 1 ] || fail "single.pdf does not hold exactly one %%EOF"
qpdf --check "$out/single.pdf" >>"$log" 2>&1 || fail "qpdf rejects single.pdf (see $log)"

# The incremental update: a new document information dictionary (its long /Subject pushes the
# second end marker more than 4096 bytes past the first), an xref section for it alone and a
# trailer that points back at the original xref with /Prev. Appended to ghostscript's output.
cp "$out/single.pdf" "$tmp/updated.pdf"
root=$(grep -a -o '/Root [0-9]* 0 R' "$out/single.pdf" | head -1)
size=$(grep -a -o '/Size [0-9]*' "$out/single.pdf" | head -1 | cut -d' ' -f2)
prev=$(tail -c 40 "$out/single.pdf" | grep -a -A1 startxref | tail -1 | tr -d '\r\n')
[ -n "$root" ] && [ -n "$size" ] && [ -n "$prev" ] || fail "cannot read the trailer of single.pdf"
subject=$(for i in $(seq 1 100); do printf 'Incremental update padding line %03d. ' "$i"; done)
object_offset=$(stat -c %s "$tmp/updated.pdf")
printf '%s 0 obj\n<< /Title (Tarvosk updated fixture) /Subject (%s) >>\nendobj\n' "$size" "$subject" >> "$tmp/updated.pdf"
xref_offset=$(stat -c %s "$tmp/updated.pdf")
{
  printf 'xref\n%s 1\n%010d 00000 n \n' "$size" "$object_offset"
  printf 'trailer\n<< /Size %s %s /Info %s 0 R /Prev %s >>\nstartxref\n%s\n%%%%EOF\n' \
    "$((size + 1))" "$root" "$size" "$prev" "$xref_offset"
} >> "$tmp/updated.pdf"
cp "$tmp/updated.pdf" "$out/updated.pdf"
[ "$(grep -a -c '%%EOF' "$out/updated.pdf")" = 2 ] || fail "updated.pdf does not hold exactly two %%EOF"
qpdf --check "$out/updated.pdf" >>"$log" 2>&1 || fail "qpdf rejects updated.pdf (see $log)"
qpdf --show-npages "$out/updated.pdf" | grep -qx 2 || fail "updated.pdf does not show its two pages"

# --- ZIP ---------------------------------------------------------------------------------------
mkdir -p "$tmp/zip"
for i in $(seq 1 200); do echo "Archived text line $i for the Tarvosk ZIP fixture."; done > "$tmp/zip/notes.txt"
head -c 6000 /dev/urandom > "$tmp/zip/noise.bin"
(cd "$tmp/zip" && zip -q -X "$out/plain.zip.new" notes.txt noise.bin) || fail "zip could not write plain.zip"
mv "$out/plain.zip.new" "$out/plain.zip"
cp "$out/plain.zip" "$tmp/commented.zip"
echo "Tarvosk fixture archive comment" | zip -q -z "$tmp/commented.zip" || fail "zip could not set the comment"
cp "$tmp/commented.zip" "$out/commented.zip"
unzip -tq "$out/plain.zip" >>"$log" 2>&1 || fail "unzip rejects plain.zip"
unzip -tq "$out/commented.zip" >>"$log" 2>&1 || fail "unzip rejects commented.zip"
unzip -z "$out/commented.zip" | grep -q "Tarvosk fixture archive comment" || fail "commented.zip has no comment"
# The end record's signature is searched without regard to case: the random member must not
# hold either spelling before the real record.
for f in plain.zip commented.zip; do
  [ "$(LC_ALL=C grep -a -o -i -P 'pk\x05\x06' "$out/$f" | wc -l)" = 1 ] || fail "$f holds a second end record signature; run again"
done

# --- Text and markup (ASCII only, CR LF and LF line ends, tabs) -------------------------------
{
  for i in $(seq 1 70); do printf 'Plain text line %d:\tthe quick brown fox jumps over the lazy dog.\r\n' "$i"; done
} > "$out/notes.txt"
{
  printf '{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Times New Roman;}}\n'
  for i in $(seq 1 50); do printf '\\f0\\fs24 Paragraph %d of the Tarvosk RTF fixture.\\par\n' "$i"; done
  printf '}\n'
} > "$out/letter.rtf"
{
  printf '<!DOCTYPE html>\n<html>\n<head><title>Tarvosk fixture</title></head>\n<body>\n'
  for i in $(seq 1 60); do printf '<p>Paragraph %d of the Tarvosk HTML fixture.</p>\n' "$i"; done
  printf '</body>\n</html>\n'
} > "$out/page.html"
{
  printf '<?xml version="1.0" encoding="US-ASCII"?>\n<items>\n'
  for i in $(seq 1 60); do printf '  <item id="%d">Element %d of the Tarvosk XML fixture</item>\n' "$i" "$i"; done
  printf '</items>\n'
} > "$out/data.xml"
for f in notes.txt letter.rtf page.html data.xml; do
  LC_ALL=C grep -q -P '[^\t\n\r\x20-\x7e]' "$out/$f" && fail "$f holds a byte that is not text"
done

end_fixture_set
