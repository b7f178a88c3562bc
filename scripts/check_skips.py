#!/usr/bin/env python3
"""Fails when a test skipped that tests/allowed_skips.txt does not list with its reason.

Usage: check_skips.py JUNIT_XML ALLOWED_SKIPS [GTEST_XML...]

JUNIT_XML is what `ctest --output-junit` wrote. Each GTEST_XML is what a test program that ctest
runs as one test (the ones under Xvfb) wrote with --gtest_output=xml: its tests count as ctest's
do, named "Suite.Test". Each line of ALLOWED_SKIPS is a ctest test name
(without the parameter value ctest shows after a parameterised test), then " # " and why that test may skip on a machine that has everything installed; blank lines
and lines starting with "#" are comments. Exits 1 (naming the tests) when a skipped test is not
listed, 2 when the list itself is malformed.
"""
import os
import sys
import xml.etree.ElementTree as ElementTree


def read_allowed(path):
    allowed = {}
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            text = line.strip()
            if not text or text.startswith("#"):
                continue
            name, hash_sign, reason = text.partition(" # ")
            if not hash_sign or not reason.strip() or not name.strip():
                sys.exit(f"{path}:{number}: want 'TEST NAME # why it may skip', got: {text}")
            allowed[name.strip()] = reason.strip()
    return allowed


def bare_name(name):
    """A test's name without the parameter value ctest shows after it ("  # GetParam() = ...")."""
    return name.split("  # ", 1)[0]


def skipped_tests(junit):
    root = ElementTree.parse(junit).getroot()
    return sorted(bare_name(case.get("name")) for case in root.iter("testcase")
                  if case.find("skipped") is not None)


def skipped_inside(gtest_xml):
    """The skipped tests of a Google Test XML report, "Suite.Test" each (without a parameter)."""
    root = ElementTree.parse(gtest_xml).getroot()
    return sorted(f'{case.get("classname")}.{case.get("name")}' for case in root.iter("testcase")
                  if case.get("result") == "skipped" or case.find("skipped") is not None)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    junit, allowed_path = sys.argv[1:3]
    try:
        allowed = read_allowed(allowed_path)
    except SystemExit as error:
        print(error, file=sys.stderr)
        return 2
    skipped = skipped_tests(junit)
    for report in sys.argv[3:]:
        if os.path.exists(report):  # a pattern that matched no report stays unexpanded
            skipped += skipped_inside(report)
    unlisted = [name for name in skipped if name not in allowed]
    print(f"{len(skipped)} tests skipped; {len(allowed)} may skip ({allowed_path})")
    if unlisted:
        print(f"{len(unlisted)} skipped tests are not listed in {allowed_path} "
              "(mend what makes them skip, or list each with its reason):", file=sys.stderr)
        for name in unlisted:
            print(f"  {name}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
