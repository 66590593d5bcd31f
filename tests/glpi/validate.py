#!/usr/bin/python3
"""Validates GLPI inventory files against GLPI's schemas (draft-07, format checks on).

Usage: validate.py SCHEMA... FILE...   The leading arguments whose names hold ".schema" are the
schemas; every file must pass each of them (the current one and the stricter one that GLPI 10.0
checks imports against, which refuses any field it does not know). Prints each file's problems;
exits 1 when any file has one. Run with Debian's /usr/bin/python3, which sees python3-jsonschema.
"""
import json
import os
import sys

import jsonschema


def main(schema_paths, paths):
    validators = []
    for schema_path in schema_paths:
        with open(schema_path, encoding="utf-8") as f:
            validators.append((os.path.basename(schema_path), jsonschema.Draft7Validator(
                json.load(f), format_checker=jsonschema.FormatChecker())))
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
        for name, validator in validators:
            for error in validator.iter_errors(document):
                print(f"{path}: {name}: {'/'.join(map(str, error.absolute_path))}: {error.message}")
                failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    args = sys.argv[1:]
    schemas = []
    while args and ".schema" in os.path.basename(args[0]):
        schemas.append(args.pop(0))
    if not schemas or not args:
        sys.exit(__doc__)
    sys.exit(main(schemas, args))
