#!/usr/bin/python3
"""Level documents against schema/level.schema.json, with Debian's python3-jsonschema.
  level_schema_check.py SCHEMA accept VRKTOOL LEVEL.vrk...   each level's `info --json` validates
  level_schema_check.py SCHEMA refuse DOCUMENT.json...        the schema refuses each document
Numbers written with a fraction or an exponent are read as decimals, not as whole numbers,
as build reads them. Prints each document that goes the other way, with why; exits 1 then."""
import decimal
import json
import subprocess
import sys

import jsonschema


def load(text):
    return json.loads(text, parse_float=decimal.Decimal)


def main():
    schema_path, mode, rest = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    wrong = 0
    if mode == "accept":
        tool, levels = rest[0], rest[1:]
        for level in levels:
            printed = subprocess.run([tool, "info", "--json", level], capture_output=True, check=True, text=True)
            errors = [e.message for e in validator.iter_errors(load(printed.stdout))]
            if errors:
                wrong += 1
                print(f"{level}: expected info --json to validate, got: {'; '.join(errors)}")
    else:
        for path in rest:
            with open(path, encoding="utf-8") as f:
                if validator.is_valid(load(f.read())):
                    wrong += 1
                    print(f"{path}: expected the schema to refuse it, it accepts it")
    count = len(rest) - (1 if mode == "accept" else 0)
    print(f"{count - wrong} of {count} documents {'validate' if mode == 'accept' else 'refused'} as expected")
    return 1 if wrong else 0


sys.exit(main())
