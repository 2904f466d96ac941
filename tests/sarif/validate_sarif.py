#!/usr/bin/env python3
"""Validates the SARIF that 'qvaddin check --format sarif' writes for the
example project, and the log of a run that fails as a whole, against the
SARIF 2.1.0 JSON schema shipped beside this script, and makes sure the
validator rejects a log that breaks the schema.

Usage: validate_sarif.py QVADDIN EXAMPLE_FOLDER
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

import jsonschema

HERE = os.path.dirname(os.path.abspath(__file__))


def sarif_of(qvaddin, folder, config, target="Example.vbp", code=1):
    env = dict(os.environ, XDG_CONFIG_HOME=config)
    run = subprocess.run([qvaddin, "--format", "sarif", "check", target], cwd=folder,
                         env=env, capture_output=True, check=False)
    if run.returncode != code:
        sys.exit(f"check exited {run.returncode}, not {code}: {run.stderr.decode()}")
    return json.loads(run.stdout)


def schema_errors(validator, log, what):
    errors = sorted(validator.iter_errors(log), key=lambda e: list(e.path))
    for error in errors:
        print(f"{what}: invalid at {'/'.join(map(str, error.path))}: {error.message}")
    return errors


def main():
    qvaddin, example = sys.argv[1], sys.argv[2]
    with open(os.path.join(HERE, "sarif-schema-2.1.0.json"), encoding="utf-8") as f:
        schema = json.load(f)
    validator = jsonschema.Draft4Validator(schema)
    with tempfile.TemporaryDirectory() as temp:
        folder = os.path.join(temp, "example")
        shutil.copytree(example, folder)
        log = sarif_of(qvaddin, folder, os.path.join(temp, "config"))
        failed = sarif_of(qvaddin, folder, os.path.join(temp, "config"), "Missing.vbp", 3)

    # A run that failed as a whole: a valid log that says so.
    invocation = failed["runs"][0]["invocations"][0]
    if schema_errors(validator, failed, "failed run") or invocation["executionSuccessful"]:
        print("the log of a failed run is invalid or does not say that it failed")
        return 1
    errors = schema_errors(validator, log, "example")
    results = log["runs"][0]["results"]
    fixes = sum(1 for r in results if "fixes" in r)
    print(f"{len(results)} results, {fixes} with fixes, {len(errors)} schema errors")
    if errors or not results or not fixes:
        return 1

    # A validator that accepted anything would prove nothing.
    broken = json.loads(json.dumps(log))
    del broken["runs"][0]["tool"]["driver"]["name"]
    broken["runs"][0]["results"][0]["fixes"][0]["artifactChanges"][0]["replacements"][0][
        "deletedRegion"]["startLine"] = 0
    if len(list(validator.iter_errors(broken))) < 2:
        print("the validator accepted a log without the tool's name and with line 0")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
