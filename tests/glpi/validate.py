#!/usr/bin/python3
"""Validates GLPI inventory files against GLPI's schema (draft-07, format checks on).

Usage: validate.py SCHEMA FILE...   Prints each file's problems; exits 1 when any file has one.
Run with Debian's /usr/bin/python3, which sees python3-jsonschema.
"""
import json
import sys

import jsonschema


def main(schema_path, paths):
    with open(schema_path, encoding="utf-8") as f:
        validator = jsonschema.Draft7Validator(json.load(f), format_checker=jsonschema.FormatChecker())
    failed = False
    for path in paths:
        with open(path, "rb") as f:
            raw = f.read()
        if raw.startswith(b"\xef\xbb\xbf"):
            print(f"{path}: starts with a byte-order mark")
            failed = True
        try:
            document = json.loads(raw.decode("utf-8"))
        except (UnicodeDecodeError, json.JSONDecodeError) as error:
            print(f"{path}: not UTF-8 JSON: {error}")
            failed = True
            continue
        for error in validator.iter_errors(document):
            print(f"{path}: {'/'.join(map(str, error.absolute_path))}: {error.message}")
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2:]))
