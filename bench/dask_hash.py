#!/usr/bin/python3
"""glimmerwick-cli hash over shards of a file list, on Dask's distributed scheduler.

  dask_hash.py [--scheduler=ADDRESS] [--workers=N] [--shard=K] [--jobs=J]
               [--check] [-o OUT] CLI LIST

LIST holds one path a line ("-": standard input). It is cut into shards of K names
(default 50); each shard is one task that runs `CLI hash -0 --files-from=- --jobs=J`
(default J=1) with the shard's names on standard input. The outputs are written to
OUT (default: standard output) in the order of LIST, whichever worker finished first.
Messages of the command (unreadable files) go to standard error, also in that order.

Without --scheduler a LocalCluster of N worker processes (default: one a core, one
thread each) runs on this machine. With --scheduler=tcp://HOST:8786 the same code runs
on a real cluster: every worker must then have CLI and the listed files at the same
paths (a shared file system), and Dask's python3-distributed installed.

--check also runs CLI once over the whole list in this process's machine and exits 1
unless its output is byte for byte the merged one.

Exit status: 0, or 1 when some file was unreadable (as the command says it) or the
check failed, 2 on usage errors or a task that could not run the command.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

from dask.distributed import Client, LocalCluster

NL = b"\n"


def hash_shard(cli, names, jobs):
    """Runs on a worker: the command over one shard. Returns (stdout, stderr, status)."""
    p = subprocess.run([cli, "hash", "-0", "--files-from=-", f"--jobs={jobs}"],
                       input=b"\0".join(names) + b"\0", capture_output=True)
    return p.stdout, p.stderr, p.returncode


def read_list(path):
    data = sys.stdin.buffer.read() if path == "-" else open(path, "rb").read()
    return [line for line in data.split(b"\n") if line]


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--scheduler", help="address of a running scheduler (default: a LocalCluster)")
    ap.add_argument("--workers", type=int, default=os.cpu_count(), help="LocalCluster worker processes")
    ap.add_argument("--shard", type=int, default=50, help="names in a task")
    ap.add_argument("--jobs", type=int, default=1, help="--jobs of each command")
    ap.add_argument("--check", action="store_true", help="compare with one process's output")
    ap.add_argument("-o", "--output", help="write the merged output here")
    ap.add_argument("cli")
    ap.add_argument("list")
    a = ap.parse_args()
    if a.workers < 1 or a.shard < 1 or a.jobs < 1:
        ap.error("--workers, --shard and --jobs take a positive number")
    # Workers run the command by this path: a bare name is looked up in PATH here.
    cli = os.path.abspath(a.cli if os.sep in a.cli else (shutil.which(a.cli) or a.cli))
    names = read_list(a.list)
    shards = [names[i:i + a.shard] for i in range(0, len(names), a.shard)]

    cluster = None
    if a.scheduler:
        client = Client(a.scheduler)
    else:
        cluster = LocalCluster(n_workers=a.workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    try:
        start = time.perf_counter()
        futures = client.map(hash_shard, [cli] * len(shards), shards, [a.jobs] * len(shards), pure=False)
        # gather keeps the order of the futures: the order of LIST.
        results = client.gather(futures)
        elapsed = time.perf_counter() - start
        workers = len(client.scheduler_info()["workers"])
    finally:
        client.close()
        if cluster:
            cluster.close()

    merged = b"".join(out for out, _, _ in results)
    status = 0
    for _, err, code in results:
        sys.stderr.buffer.write(err)
        if code >= 2:
            status = 2
        elif code == 1 and err:  # 1 without a message: a shard without icons
            status = max(status, 1)
    if a.output:
        with open(a.output, "wb") as f:
            f.write(merged)
    else:
        sys.stdout.buffer.write(merged)
        sys.stdout.flush()
    print(f"dask: {len(names)} files in {len(shards)} shards of at most {a.shard} on {workers} workers: "
          f"{merged.count(NL)} lines, {elapsed:.2f} s (after the cluster started)", file=sys.stderr)

    if a.check:
        start = time.perf_counter()
        one = subprocess.run([cli, "hash", "-0", "--files-from=-", "--jobs=1"],
                             input=b"\0".join(names) + b"\0", capture_output=True).stdout
        elapsed = time.perf_counter() - start
        same = one == merged
        print(f"one process: {one.count(NL)} lines, {elapsed:.2f} s; merged output "
              f"{'identical' if same else 'DIFFERENT'}", file=sys.stderr)
        if not same:
            status = max(status, 1)
    return status


if __name__ == "__main__":
    sys.exit(main())
