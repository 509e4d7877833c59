#!/usr/bin/env python3
"""clang-tidy with the project's .clang-tidy over the project's own sources (src/ and tools/,
with the project headers they include), using the compile commands of a configured build folder.

Prints each finding as file:line:column and exits 1 when there is any.

Which files are checked: every source whose translation unit changed since it last passed.
A source that passed is remembered under a key made of the clang-tidy version, .clang-tidy,
its compile command and its preprocessed text (so a change to any header it includes counts
as a change); the next run skips it while the key is the same. Files with findings are never
remembered. The key does not contain the checkout's own folder (it is cut from the compile
command and the preprocessed text), so several checkouts of the project share what passed. A fresh machine therefore checks everything (about 12 CPU minutes, 6 on two
cores); later runs check what changed. The memory lives in $XDG_CACHE_HOME/meridia-tidy
(~/.cache/meridia-tidy); --all ignores it.

    scripts/tidy.py [--all] [BUILD_FOLDER]
"""
import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SUMMARY = re.compile(r"^\d+ (warning|error)s? (and \d+ (warning|error)s? )?generated\.$")


def project_sources():
    try:
        out = subprocess.run(["git", "ls-files", "src/*.cpp", "tools/*.cpp"], cwd=ROOT,
                             check=True, capture_output=True, text=True).stdout
        return sorted(out.split())
    except (OSError, subprocess.CalledProcessError):
        found = []
        for top in ("src", "tools"):
            for folder, _, names in os.walk(os.path.join(ROOT, top)):
                found += [os.path.relpath(os.path.join(folder, n), ROOT)
                          for n in names if n.endswith(".cpp")]
        return sorted(found)


def preprocess_command(entry):
    """The entry's compile command turned into one that writes the preprocessed text."""
    args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    if args and os.path.basename(args[0]) == "ccache":
        args = args[1:]
    result, skip = [], False
    for arg in args:
        if skip:
            skip = False
            continue
        if arg in ("-o", "-MF", "-MT", "-MQ"):
            skip = True
            continue
        if arg in ("-c", "-MD", "-MMD"):
            continue
        result.append(arg)
    return result + ["-E", "-o", "-"]


def check(tidy, build, source, entry, base_key, cache):
    started = time.monotonic()
    key = None
    if entry is not None and cache is not None:
        pre = subprocess.run(preprocess_command(entry), cwd=entry["directory"],
                             capture_output=True)
        if pre.returncode == 0:
            root = ROOT.encode()
            digest = hashlib.sha256(base_key)
            digest.update(json.dumps(entry, sort_keys=True).encode().replace(root, b"@"))
            digest.update(pre.stdout.replace(root, b"@"))
            key = digest.hexdigest()
            if os.path.exists(os.path.join(cache, key)):
                return source, 0, "", None
    run = subprocess.run([tidy, "-p", build, "--quiet", os.path.join(ROOT, source)],
                         capture_output=True, text=True)
    lines = [line for line in (run.stdout + run.stderr).splitlines()
             if not SUMMARY.match(line.strip())]
    output = "\n".join(lines).strip()
    if run.returncode == 0 and not output and key is not None:
        open(os.path.join(cache, key), "w").close()
    return source, run.returncode, output, time.monotonic() - started


def main(argv):
    everything = "--all" in argv
    rest = [a for a in argv if a != "--all"]
    build = os.path.abspath(rest[0] if rest else os.path.join(ROOT, "build-test"))
    database = os.path.join(build, "compile_commands.json")
    if not os.path.isfile(database):
        print(f"tidy: no compile_commands.json in {build} (configure the build first)",
              file=sys.stderr)
        return 2
    tidy = shutil.which("clang-tidy-14") or shutil.which("clang-tidy")
    if tidy is None:
        print("tidy: clang-tidy is not installed (scripts/setup.sh installs it)", file=sys.stderr)
        return 2
    with open(database) as f:
        entries = {os.path.realpath(os.path.join(e["directory"], e["file"])): e
                   for e in json.load(f)}
    version = subprocess.run([tidy, "--version"], capture_output=True, text=True).stdout
    with open(os.path.join(ROOT, ".clang-tidy"), "rb") as f:
        base_key = version.encode() + f.read()
    cache = None
    if not everything:
        cache = os.path.join(os.environ.get("XDG_CACHE_HOME") or
                             os.path.join(os.path.expanduser("~"), ".cache"), "meridia-tidy")
        try:
            os.makedirs(cache, exist_ok=True)
        except OSError:
            cache = None  # nowhere to remember passes: check everything

    sources = project_sources()
    started = time.monotonic()
    checked = failed = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        jobs = [pool.submit(check, tidy, build, s,
                            entries.get(os.path.realpath(os.path.join(ROOT, s))), base_key, cache)
                for s in sources]
        for job in concurrent.futures.as_completed(jobs):
            source, code, output, seconds = job.result()
            if seconds is not None:
                checked += 1
            if code != 0 or output:
                failed += 1
                print(output or f"{source}: clang-tidy failed ({code})", flush=True)
    print(f"tidy: {checked} of {len(sources)} sources checked ({len(sources) - checked} unchanged "
          f"since they passed), {failed} with findings, {time.monotonic() - started:.0f} s")
    if failed:
        print("tidy: fix the findings above (file:line:column: ... [check]), or justify a "
              "NOLINT(check) on the line", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
