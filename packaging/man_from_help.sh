#!/bin/sh
# Makes the manual page of brintova-cli from what its --help prints, so the two never differ:
# headings (lines in capitals at the margin) become sections, NAME a plain paragraph for
# whatis, every other section is kept line for line as it prints.
#   man_from_help.sh BRINTOVA_CLI OUTPUT.1
set -eu
cli=$1
out=$2
version=$("$cli" --version | sed 's/^brintova-cli //')
"$cli" --help | awk -v version="$version" '
  function roff(line) {
    gsub(/\\/, "\\e", line)
    gsub(/-/, "\\-", line)
    if (line ~ /^[.\047]/) line = "\\&" line
    return line
  }
  NR == 1 {
    printf ".TH BRINTOVA\\-CLI 1 \"\" \"brintova\\-cli %s\" \"User Commands\"\n", version
    next
  }
  /^[A-Z][A-Z ]*$/ {
    if (open) print ".fi"
    open = 0
    section = $0
    print ".SH " section
    next
  }
  section == "NAME" {
    sub(/^ +/, "")
    if ($0 != "") print roff($0)
    next
  }
  section != "" {
    if (!open) { print ".nf"; open = 1 }
    sub(/^    /, "")
    print roff($0)
  }
  END { if (open) print ".fi" }
' >"$out"
