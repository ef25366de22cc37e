#!/usr/bin/env python3
"""Validates an EPCIS document against GS1's schemas in SCHEMAS (a folder, or the archive of
their unmodified files that the project keeps): JSON against the JSON
Schema (with its URI formats checked), XML against the XML Schema through xmllint. Prints
the faults on standard error (exit status 1 when any), else each ObjectEvent on a line of
its own: EPC, time, offset, read point, business location, action, business step and
disposition, separated by tabs.
Usage: epcis_validate.py SCHEMAS json|xml FILE"""
import json
import subprocess
import sys
import tarfile
import tempfile
import xml.etree.ElementTree as ElementTree

schemas, kind, path = sys.argv[1:4]
if schemas.endswith(".tar.gz"):
    unpacked = tempfile.TemporaryDirectory()
    with tarfile.open(schemas) as archive:
        archive.extractall(unpacked.name)
    schemas = unpacked.name
if kind == "json":
    import jsonschema
    import rfc3987  # noqa: F401 - without it the "uri" format would pass unchecked

    with open(f"{schemas}/EPCIS-JSON-Schema.json", encoding="utf-8") as f:
        schema = json.load(f)
    with open(path, encoding="utf-8") as f:
        document = json.load(f)
    validator = jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker())
    faults = [f"{list(e.absolute_path)}: {e.message}" for e in validator.iter_errors(document)]
    if faults:
        sys.exit("\n".join(faults))
    for e in document["epcisBody"]["eventList"]:
        print("\t".join([e["epcList"][0], e["eventTime"], e["eventTimeZoneOffset"],
                         e.get("readPoint", {}).get("id", ""), e.get("bizLocation", {}).get("id", ""),
                         e["action"], e["bizStep"], e["disposition"]]))
    sys.exit(0)
result = subprocess.run(["xmllint", "--noout", "--schema", f"{schemas}/EPCglobal-epcis-2_0.xsd", path],
                        capture_output=True, text=True)
if result.returncode != 0:
    sys.exit(result.stderr)
for e in ElementTree.parse(path).getroot().iter("ObjectEvent"):
    print("\t".join(e.findtext(p, "") for p in ["epcList/epc", "eventTime", "eventTimeZoneOffset", "readPoint/id",
                                                "bizLocation/id", "action", "bizStep", "disposition"]))
