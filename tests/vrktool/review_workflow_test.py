#!/usr/bin/env python3
"""docs/ci/level-review.yml's run: steps, as they stand in the file, in a local
repository with a pull-request branch, the way a runner runs them (bash -e,
the workflow's and the step's env, GITHUB_PATH, GITHUB_STEP_SUMMARY); the
checkout and the upload are the runner's and are stood in for here.
   review_workflow_test.py VRKTOOL SOURCE_DIR [TARBALL]
TARBALL is the Linux release tarball the workflow downloads (make dist passes
the one it has just made); without it, the build's VRKTOOL is packed in the
release's layout."""
import hashlib, json, os, pathlib, re, shutil, subprocess, sys, tarfile, tempfile
import yaml

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import expect, finish  # noqa: E402

tool, source = os.path.abspath(sys.argv[1]), sys.argv[2]
work = tempfile.mkdtemp()


def run(*args, cwd=None, **kw):
    return subprocess.run(args, cwd=cwd, check=True, capture_output=True, text=True, **kw).stdout.strip()


def tool_tarball():
    if len(sys.argv) > 3:
        return os.path.abspath(sys.argv[3])
    path = f"{work}/vrktool-linux-x86_64.tar.gz"
    with tarfile.open(path, "w:gz") as tar:
        tar.add(tool, arcname="vrktool-linux-x86_64/bin/vrktool")
    return path


def save(repo, name, sectors, extra=b""):
    doc = {"version": 2, "startX": 2, "startY": 2,
           "sectors": [dict(zip(["left", "top", "right", "bottom", "floorHeight", "ceilingHeight"], s))
                       for s in sectors]}
    with open(f"{work}/level.json", "w") as f:
        json.dump(doc, f)
    run(tool, "build", f"{work}/level.json", "-o", f"{repo}/{name}")
    with open(f"{repo}/{name}", "ab") as f:
        f.write(extra)


# A repository whose pull request adds a room to hall.vrk and a level with a
# problem (a trailing byte), cloned as the checkout step leaves it.
os.environ.update(HOME=work, GIT_CONFIG_NOSYSTEM="1", GIT_AUTHOR_NAME="D", GIT_AUTHOR_EMAIL="d@example.com",
                  GIT_COMMITTER_NAME="D", GIT_COMMITTER_EMAIL="d@example.com")
origin, workspace = f"{work}/origin", f"{work}/workspace"
HALL, EAST = (0, 0, 8, 6, 0, 96), (8, 1, 12, 5, 8, 80)
run("git", "init", "-q", "-b", "main", origin)
save(origin, "hall.vrk", [HALL])
run("git", "add", "-A", cwd=origin)
run("git", "commit", "-q", "-m", "hall", cwd=origin)
base = run("git", "rev-parse", "HEAD", cwd=origin)
run("git", "checkout", "-q", "-b", "pull-request", cwd=origin)
save(origin, "hall.vrk", [HALL, EAST])
save(origin, "broken.vrk", [HALL], b"x")
run("git", "add", "-A", cwd=origin)
run("git", "commit", "-q", "-m", "east room", cwd=origin)
head = run("git", "rev-parse", "HEAD", cwd=origin)
run("git", "clone", "-q", "--no-checkout", origin, workspace)
run("git", "checkout", "-q", "--detach", head, cwd=workspace)

workflow = yaml.safe_load(open(f"{source}/docs/ci/level-review.yml"))
steps = workflow["jobs"]["review"]["steps"]
expect(["actions/checkout@v4", None, None, "actions/upload-artifact@v4"], [s.get("uses") for s in steps], "steps")
expect({"contents": "read"}, workflow["permissions"], "permissions")
tarball = tool_tarball()
# A file address with its spaces and other characters quoted, as curl takes it.
address = pathlib.Path(tarball).as_uri()
digest = hashlib.sha256(open(tarball, "rb").read()).hexdigest()
expressions = {"github.event.pull_request.base.sha": base, "github.event.pull_request.head.sha": head}


def run_steps(overrides):
    """Runs every run: step; returns their exit codes and the summary."""
    temp = tempfile.mkdtemp(dir=work)
    files = {"GITHUB_PATH": f"{temp}/path", "GITHUB_STEP_SUMMARY": f"{temp}/summary"}
    for f in files.values():
        open(f, "w").close()
    shutil.rmtree(f"{workspace}/{workflow['env']['REVIEW_DIR']}", ignore_errors=True)
    codes = []
    for step in steps:
        if "run" not in step:
            continue
        step_env = {**os.environ, "RUNNER_TEMP": temp, **files, **workflow["env"], **overrides}
        for name, value in step.get("env", {}).items():
            step_env[name] = re.sub(r"\$\{\{\s*(\S+)\s*\}\}", lambda m: expressions[m.group(1)], value)
        added = open(files["GITHUB_PATH"]).read().split()
        step_env["PATH"] = os.pathsep.join(added[::-1] + [step_env["PATH"]])
        done = subprocess.run(["bash", "-e", "-c", step["run"]], cwd=workspace, env=step_env,
                              capture_output=True, text=True)
        codes.append(done.returncode)
        if done.returncode != 0:
            break
    return codes, open(files["GITHUB_STEP_SUMMARY"]).read()


# A tarball whose hash is not the pinned one is refused before it is unpacked.
codes, summary = run_steps({"VRKTOOL_TARBALL": address, "VRKTOOL_SHA256": "0" * 64})
expect(([1], ""), (codes, summary), "a wrong hash: the fetch step's exit code and the summary")

codes, summary = run_steps({"VRKTOOL_TARBALL": address, "VRKTOOL_SHA256": digest})
review = f"{workspace}/{workflow['env']['REVIEW_DIR']}"
expect([0, 1], codes, "the steps' exit codes: fetched, then check's problem fails the job")
expect(open(f"{review}/index.md").read(), summary, "the summary is index.md")
expect(True, "| `hall.vrk` | modified | 1 | 0 | 0 | no | 0 | [02-hall.png](02-hall.png), [3D](02-hall-3d.png) |" in summary, "hall's row")
expect(True, "| `broken.vrk` | added | 1 | 0 | 0 | no | 1 | [01-broken.png](01-broken.png), [3D](01-broken-3d.png) |" in summary,
       "broken's row")
# The artifact's picture is the one render --compare draws.
subprocess.run(["git", "show", f"{base}:hall.vrk"], cwd=workspace, check=True, stdout=open(f"{work}/before.vrk", "wb"))
run(tool, "render", f"{workspace}/hall.vrk", "-o", f"{work}/compare.png", "--compare", f"{work}/before.vrk",
    "--scale", "2")
expect(open(f"{work}/compare.png", "rb").read(), open(f"{review}/02-hall.png", "rb").read(), "hall's picture")

shutil.rmtree(work)
finish("review workflow")
