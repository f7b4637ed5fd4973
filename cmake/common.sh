# Shell pieces the test scripts share (scripts/, installer/, cmake/); sourced, never run.

# Whether this machine runs 32-bit Windows programs under Wine: Debian's `wine` starts the 32-bit
# loader, which needs the kernel's IA-32 emulation.
stashly_runs_32bit() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

# A JUnit report of named cases, for scripts/summarize-tests: junit_case NAME [FAILURE], then
# junit_write FILE SUITE. A failure message loses the characters XML would need escaped.
junit_cases=""
junit_case() {
  if [ -z "${2:-}" ]; then
    junit_cases+="<testcase name=\"$1\" status=\"run\"/>"
  else
    junit_cases+="<testcase name=\"$1\" status=\"run\"><failure message=\"$(printf '%s' "$2" | tr -d '"<>&')\"/></testcase>"
  fi
}
junit_skipped() {
  junit_cases+="<testcase name=\"$1\" status=\"notrun\"/>"
}
junit_write() {
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<testsuite name="%s">%s</testsuite>\n' "$2" \
    "$junit_cases" >"$1"
}
