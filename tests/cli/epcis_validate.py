#!/usr/bin/env python3
"""Validates an EPCIS document against GS1's schemas in SCHEMAS: JSON against the JSON
Schema (with its URI formats checked), XML against the XML Schema through xmllint.
Usage: epcis_validate.py SCHEMAS json|xml FILE. Prints the faults; exit status 1 when any."""
import json
import subprocess
import sys

schemas, kind, path = sys.argv[1:4]
if kind == "json":
    import jsonschema
    import rfc3987  # noqa: F401 - without it the "uri" format would pass unchecked

    with open(f"{schemas}/EPCIS-JSON-Schema.json", encoding="utf-8") as f:
        schema = json.load(f)
    with open(path, encoding="utf-8") as f:
        document = json.load(f)
    validator = jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker())
    faults = [f"{list(e.absolute_path)}: {e.message}" for e in validator.iter_errors(document)]
    print("\n".join(faults))
    sys.exit(1 if faults else 0)
result = subprocess.run(["xmllint", "--noout", "--schema", f"{schemas}/EPCglobal-epcis-2_0.xsd", path],
                        capture_output=True, text=True)
print(result.stderr, end="")
sys.exit(result.returncode)
