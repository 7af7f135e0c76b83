"""Helpers shared by the benchmark scripts bench/import_real, bench/index and
bench/search: running a command and timing it as a whole process, the
corpus's "From " mailboxes, the Maildir of the same mails the mail indexers
read, a Quorvel data home with one mail database, and the indexers mairix,
`notmuch new` and `mu index` themselves.
"""
import json
import mailbox
import os
import shutil
import statistics
import subprocess
import sys
import time

MBOX_FORMAT = "Generic Mail Type 2"
DATABASE_FILES = {"text": "IDX004.TPS", "words": "IDX028.DAT", "occurrences": "IDX029.TPS", "marks": "IDX033.DAT"}


def run(argv, env=None, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL):
    """Runs one command; returns (seconds, peak resident kB, exit status, output)."""
    t0 = time.monotonic()
    proc = subprocess.Popen(argv, env=env, stdout=stdout, stderr=stderr)
    # Read to the end before waiting: a long output fills the pipe.
    out = proc.stdout.read().decode("utf-8", "replace") if proc.stdout else ""
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.monotonic() - t0
    proc.returncode = os.waitstatus_to_exitcode(status)
    return seconds, usage.ru_maxrss, proc.returncode, out


def default_corpus():
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared", "corpus")


def mailboxes(corpus):
    root = os.path.join(corpus, "mbox")
    files = []
    for dirpath, _, names in os.walk(root):
        files += [os.path.join(dirpath, n) for n in names]
    return root, sorted(files)


def copy_tree(files, root, target):
    """Copies the files (under root) to target, keeping their paths below root."""
    shutil.rmtree(target, ignore_errors=True)
    for f in files:
        dest = os.path.join(target, os.path.relpath(f, root))
        os.makedirs(os.path.dirname(dest), exist_ok=True)
        shutil.copyfile(f, dest)
    return target


def build_maildir(files, maildir):
    """One Maildir holding every message Python's mbox reader finds, as its bytes."""
    shutil.rmtree(maildir, ignore_errors=True)
    for sub in ("cur", "new", "tmp"):
        os.makedirs(os.path.join(maildir, sub))
    count = 0
    for f in files:
        box = mailbox.mbox(f, create=False)
        for key in box.iterkeys():
            count += 1
            with open(os.path.join(maildir, "new", f"1000000000.M{count}P1.bench"), "wb") as out:
                out.write(box.get_bytes(key))
        box.close()
    return count


def warm(paths):
    for top in paths:
        if not os.path.exists(top):  # e.g. no Maildir when no peer indexer runs
            continue
        for dirpath, _, names in os.walk(top) if os.path.isdir(top) else [(os.path.dirname(top), [], [top])]:
            for n in names:
                with open(os.path.join(dirpath, n), "rb") as f:
                    while f.read(1 << 20):
                        pass


def median(values):
    return statistics.median(values) if values else 0.0


def percentile(values, p):
    """The nearest-rank percentile p (0-100) of values."""
    ordered = sorted(values)
    if not ordered:
        return 0.0
    rank = max(1, -(-len(ordered) * p // 100))
    return ordered[int(rank) - 1]


# Quorvel

def quorvel_json(quorvel, home, args, what=None):
    """Runs `quorvel --home HOME --json ARGS`; returns (seconds, peak kB, parsed JSON).
    Leaves the script when the command fails or prints no JSON."""
    seconds, peak, rc, out = run([quorvel, "--home", home, "--json"] + list(args), stdout=subprocess.PIPE)
    starts = [i for i in (out.find("{"), out.find("[")) if i >= 0]
    try:
        value = json.loads(out[min(starts):]) if starts else None
    except ValueError:
        value = None
    if rc != 0 or value is None:
        sys.exit(f"quorvel {what or ' '.join(args[:1])} failed (status {rc}):\n{out}")
    return seconds, peak, value


def new_home(quorvel, home):
    """A fresh data home with one mail database; returns the database's id."""
    shutil.rmtree(home, ignore_errors=True)
    _, _, db = quorvel_json(quorvel, home, ["db", "add-mail", "Jane Smith", "jane@example.org"], "db add-mail")
    return db["id"]


def import_mail(quorvel, home, db, path, index=True):
    """Imports every "From " mailbox under path into the database; returns
    (whole-process seconds, peak kB, the import's summary)."""
    args = ["import", "--format", MBOX_FORMAT, "--method", "tree", "--path", path, "--mask", "*",
            "--mail", "--mail-db", str(db)]
    if not index:
        args.append("--no-index")
    seconds, peak, summary = quorvel_json(quorvel, home, args, "import")
    if not isinstance(summary, dict) or "imported" not in summary:
        sys.exit(f"quorvel import printed no summary: {summary}")
    return seconds, peak, summary


def database_directory(quorvel, home, db):
    _, _, dbs = quorvel_json(quorvel, home, ["db", "list"], "db list")
    for d in dbs:
        if d["id"] == db:
            return os.path.join(home, d["directory"]), d
    sys.exit(f"no database {db} in {home}")


def file_sizes(directory):
    """The sizes in bytes of the database's text and index files, by DATABASE_FILES's names."""
    sizes = {}
    for key, name in DATABASE_FILES.items():
        path = os.path.join(directory, name)
        sizes[key] = os.path.getsize(path) if os.path.exists(path) else 0
    return sizes


# The mail indexers

def mairix_round(maildir, work):
    base = os.path.join(work, "mairix")
    shutil.rmtree(base, ignore_errors=True)
    os.makedirs(base)
    rc_file = os.path.join(base, "mairixrc")
    with open(rc_file, "w") as f:
        f.write(f"base={os.path.dirname(maildir)}\nmaildir={os.path.basename(maildir)}\n"
                f"mfolder={os.path.join(base, 'results')}\ndatabase={os.path.join(base, 'database')}\n")
    seconds, peak, rc, _ = run(["mairix", "-f", rc_file])
    return {"seconds": seconds, "peak": peak, "ok": rc == 0}


def notmuch_round(maildir, work):
    base = os.path.join(work, "notmuch")
    shutil.rmtree(base, ignore_errors=True)
    os.makedirs(os.path.join(base, "db"))
    config = os.path.join(base, "config")
    with open(config, "w") as f:
        f.write(f"[database]\npath={os.path.join(base, 'db')}\nmail_root={maildir}\n"
                "[new]\ntags=unread;inbox;\n[maildir]\nsynchronize_flags=false\n")
    env = dict(os.environ, NOTMUCH_CONFIG=config)
    seconds, peak, rc, _ = run(["notmuch", "new", "--quiet"], env=env)
    return {"seconds": seconds, "peak": peak, "ok": rc == 0}


def mu_round(maildir, work):
    home = os.path.join(work, "mu")
    shutil.rmtree(home, ignore_errors=True)
    run(["mu", "init", "--muhome", home, "--maildir", maildir, "--quiet"])
    seconds, peak, rc, _ = run(["mu", "index", "--muhome", home, "--quiet"])
    return {"seconds": seconds, "peak": peak, "ok": rc == 0}


# (name printed, program, Debian package, one round)
PEERS = (("mairix", "mairix", "mairix", mairix_round),
         ("notmuch new", "notmuch", "notmuch", notmuch_round),
         ("mu index", "mu", "maildir-utils", mu_round))


def apt_install(package):
    """Installs a Debian package with apt-get (once more after an update when
    the first try fails); True when it went in."""
    if not shutil.which("apt-get") or os.geteuid() != 0:
        return False
    command = ["apt-get", "install", "-y", "-q", "-o", "DPkg::Lock::Timeout=600", package]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    if subprocess.call(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) == 0:
        return True
    subprocess.call(["apt-get", "update", "-q", "-o", "DPkg::Lock::Timeout=600"], env=env,
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return subprocess.call(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) == 0


def peers(wanted, install=False):
    """The indexers named in wanted (program names, comma-separated) that can
    run, as (name, round) pairs; a missing one is installed with apt-get when
    install is set, else (or when that fails) left out with a note."""
    names = [w for w in wanted.split(",") if w]
    chosen = []
    for name, tool, package, fn in PEERS:
        if tool not in names:
            continue
        if not shutil.which(tool) and install:
            print(f"note: {tool} is not installed; installing the Debian package {package} with apt-get")
            if not apt_install(package) or not shutil.which(tool):
                print(f"note: installing {package} failed; {tool} left out")
                continue
        if not shutil.which(tool):
            print(f"note: {tool} is not installed (Debian: {package}); left out")
            continue
        chosen.append((name, fn))
    for w in names:
        if w not in [tool for _, tool, _, _ in PEERS]:
            print(f"note: unknown indexer {w} left out (known: mairix, notmuch, mu)")
    return chosen
