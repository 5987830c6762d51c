#!/bin/sh
# Runs the JUnit probe and checks its report with an XML parser against the JUnit schema; and
# that the schema refuses a report whose time has an exponent, so that it checks something.
# usage: junit_schema_test.sh PROBE SCHEMA
set -eu
probe=$1
schema=$2
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

status=0
"$probe" --seed 7 --junit "$folder/report.xml" >"$folder/output.txt" || status=$?
if [ "$status" -ne 1 ]; then
    echo "the probe exited with $status, not 1 (its run has failures):"
    cat "$folder/output.txt"
    exit 1
fi
xmllint --noout --schema "$schema" "$folder/report.xml"
grep -q '<property name="seed" value="7"/>' "$folder/report.xml"
grep -q 'octet: [0-9][0-9]*$' "$folder/report.xml"

cat >"$folder/exponent.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<testsuites><testsuite name="s" tests="1"><testcase name="t" time="1e-05"/></testsuite></testsuites>
XML
if xmllint --noout --schema "$schema" "$folder/exponent.xml" 2>/dev/null; then
    echo "the schema accepts a time with an exponent"
    exit 1
fi
