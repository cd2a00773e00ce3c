#!/usr/bin/env python3
"""Memory figures for soak.sh.

    soak_stats.py sample PID   prints, in KiB: the process's RSS and PSS, then
                               the RSS, PSS and private memory summed over it
                               and all its descendants, then how many
                               processes that is
    soak_stats.py fit LOG      reads the samples soak.sh logged and prints the
                               growth per 1000 period ends, fitted over the
                               second half of the run
"""
import os
import sys

VIGILO_GOAL_MB = 5.0
TREE_GOAL_MB = 10.0


def rollup(pid):
    """(rss, pss, private) in KiB, or None when the process is gone."""
    rss = pss = private = 0
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Rss:"):
                    rss = int(line.split()[1])
                elif line.startswith("Pss:"):
                    pss = int(line.split()[1])
                elif line.startswith(("Private_Clean:", "Private_Dirty:")):
                    private += int(line.split()[1])
    except (FileNotFoundError, ProcessLookupError, PermissionError):
        return None
    return rss, pss, private


def descendants(root):
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        # The command name may hold blanks and parentheses: the parent's id
        # is the second field after the last ')'.
        ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        children.setdefault(ppid, []).append(int(entry))
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo.extend(children.get(pid, []))
    return found


def sample(pid):
    own = rollup(pid)
    if own is None:
        return 1
    tree_rss = tree_pss = tree_private = count = 0
    for p in descendants(pid):
        figures = rollup(p)
        if figures:
            tree_rss += figures[0]
            tree_pss += figures[1]
            tree_private += figures[2]
            count += 1
    print(own[0], own[1], tree_rss, tree_pss, tree_private, count)
    return 0


def slope(points):
    """Least-squares slope of y over x and its standard error."""
    n = len(points)
    mx = sum(x for x, _ in points) / n
    my = sum(y for _, y in points) / n
    sxx = sum((x - mx) ** 2 for x, _ in points)
    b = sum((x - mx) * (y - my) for x, y in points) / sxx
    residue = sum((y - my - b * (x - mx)) ** 2 for x, y in points)
    return b, (residue / (n - 2) / sxx) ** 0.5 if n > 2 else float("inf")


def fit(log):
    """The log's sample lines read: sample MINUTE PERIOD_ENDS VIGILO_RSS
    VIGILO_PSS TREE_RSS TREE_PSS TREE_PRIVATE PROCESSES.

    The tree's goal is judged on its private memory: its PSS also moves when
    other programs start or stop mapping the same libraries."""
    rows = []
    with open(log) as f:
        for line in f:
            fields = line.split()
            if len(fields) == 9 and fields[0] == "sample":
                rows.append([float(v) for v in fields[1:]])
    if len(rows) < 4:
        print(f"only {len(rows)} samples: too few to fit a slope")
        return 1
    last = rows[-1][0]
    half = [r for r in rows if r[0] >= last / 2]
    if len(half) < 3 or half[-1][1] == half[0][1]:
        print("too few period ends in the second half to fit a slope")
        return 1
    print(f"period ends: {int(rows[-1][1])} in {int(last)} minutes; fitted over minutes "
          f"{int(half[0][0])}-{int(last)} ({int(half[-1][1] - half[0][1])} period ends)")
    first = [r for r in rows if r[0] < last / 2]
    # The range of each half beside the slope: RSS steps between a few levels
    # some MB apart as freed memory goes back to the system or not, which can
    # tilt the slope of an hour's run while the range stays where it was.
    print(f"{'':13}{'start MB':>10}{'end MB':>10}{'MB per 1000 period ends':>34}"
          f"{'range, 1st half':>18}{'2nd half':>12}")
    verdict = 0
    for name, column, goal in (("vigilo RSS", 2, VIGILO_GOAL_MB), ("vigilo PSS", 3, None),
                               ("tree RSS", 4, None), ("tree PSS", 5, None),
                               ("tree private", 6, TREE_GOAL_MB)):
        growth, error = slope([(r[1], r[column] / 1024) for r in half])
        mark = ""
        if goal is not None:
            ok = growth * 1000 < goal
            mark = f"  goal < {goal:g}: {'met' if ok else 'MISSED'}"
            verdict |= 0 if ok else 2
        ranges = "".join(f"{min(r[column] for r in part) / 1024:>{width}.0f}-"
                         f"{max(r[column] for r in part) / 1024:.0f}"
                         for part, width in ((first, 14), (half, 8)))
        print(f"{name:13}{rows[0][column] / 1024:10.1f}{rows[-1][column] / 1024:10.1f}"
              f"{growth * 1000:24.2f} +- {error * 1000:6.2f}{ranges}{mark}")
    return verdict


def main(argv):
    if len(argv) == 3 and argv[1] == "sample":
        return sample(int(argv[2]))
    if len(argv) == 3 and argv[1] == "fit":
        return fit(argv[2])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
