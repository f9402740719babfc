#!/usr/bin/env bash
# Checks the user guide's PDF as a reader meets it: a page number as the last
# line of every page, an outline of every chapter and section, the contents
# linked to the chapters, every picture's caption under it, and no page left
# nearly empty.
#   check-user-guide-pdf.sh GUIDE.md GUIDE.pdf
set -euo pipefail
markdown=${1:?usage: $0 GUIDE.md GUIDE.pdf}
pdf=${2:?usage: $0 GUIDE.md GUIDE.pdf}
for tool in pdfinfo pdftotext pdfimages qpdf; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps.sh --tests installs it)"; exit 1; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
[ "${pages:-0}" -gt 10 ] || fail "the guide has ${pages:-no} pages"

# The pages that hold a picture may be short; any other page has text to read.
pdfimages -list "$pdf" | awk 'NR > 2 { print $1 }' | sort -u >"$scratch/picture-pages"
for ((page = 1; page <= pages; page++)); do
  pdftotext -layout -f "$page" -l "$page" "$pdf" "$scratch/page.txt"
  last=$({ grep -v '^[[:space:]]*$' "$scratch/page.txt" || true; } | tail -n 1 | tr -s ' ' | sed 's/^ //; s/ $//')
  [ "$last" = "$page / $pages" ] || fail "page $page ends with '$last', not its number"
  lines=$(grep -cv '^[[:space:]]*$' "$scratch/page.txt" || true)
  if [ "$page" -lt "$pages" ] && ! grep -qx "$page" "$scratch/picture-pages" && [ "$lines" -lt 12 ]; then
    fail "page $page is nearly empty: $((lines - 1)) lines of text"
  fi
done

# The outline holds every chapter and section heading of the Markdown.
qpdf --json --json-key=outlines "$pdf" >"$scratch/outlines.json"
while IFS= read -r heading; do
  grep -qF "\"title\": \"$heading\"" "$scratch/outlines.json" || fail "the outline lacks '$heading'"
done < <(awk '/^```/ { code = !code } !code && /^##? / { sub(/^##? /, ""); gsub(/`/, ""); print }' "$markdown" | sed 1d)

# The contents: a link to each chapter.
chapters=$(grep -c '^# [0-9]' "$markdown")
qpdf --qdf --object-streams=disable "$pdf" "$scratch/plain.pdf"
links=$(grep -ac '/Subtype /Link' "$scratch/plain.pdf" || true)
[ "$links" -ge "$chapters" ] || fail "the contents have $links links for $chapters chapters"

# Every picture's alt text is printed as its caption.
pdftotext "$pdf" - | tr -s ' \n' '  ' >"$scratch/text"
while IFS= read -r caption; do
  grep -qF -- "$caption" "$scratch/text" || fail "no caption '$caption'"
done < <(grep -o '!\[[^]]*\]' "$markdown" | sed 's/^!\[//; s/\]$//' | tr -s ' ')

if [ "$failed" -ne 0 ]; then exit 1; fi
echo "ok: $pages pages, each numbered; $chapters chapters in the outline and the contents; captions"
