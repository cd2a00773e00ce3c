#!/usr/bin/env python3
"""CPU time per period end of a process and of its whole tree, for cost.sh.

    cost_meter.py PID SERVER_LOG WHO BLOCKS PER_BLOCK WARMUP

Counts period ends by the lines "WHO /watched.htm" the page server logs.
Waits WARMUP period ends, then measures BLOCKS blocks of PER_BLOCK period
ends each, from one request to the request PER_BLOCK later. The tree's
processes are read from /proc every quarter second, so that the time of helper
processes that end during a block still counts. Prints one line:

    own=S tree=S own_blocks=S,S,... tree_blocks=S,S,... seconds=S

S being CPU seconds per period end, the first two the median of the blocks.
"""
import os
import statistics
import sys
import time

TICK = os.sysconf("SC_CLK_TCK")


def stat_of(pid):
    """(parent, start time, CPU ticks) of a process, or None once gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            stat = f.read()
    except OSError:
        return None
    # The command name may hold blanks and parentheses.
    fields = stat[stat.rindex(")") + 2:].split()
    return int(fields[1]), int(fields[19]), int(fields[11]) + int(fields[12])


class Tree:
    """Ticks used since the meter started, by the root and by its tree."""

    def __init__(self, root):
        self.root = root
        self.last = {}  # (pid, start time) -> ticks last seen
        self.base = {}  # ticks at the meter's start, of those alive then
        self.poll()
        self.base = dict(self.last)

    def poll(self):
        stats = {}
        for entry in os.listdir("/proc"):
            if entry.isdigit():
                s = stat_of(int(entry))
                if s:
                    stats[int(entry)] = s
        children = {}
        for pid, (parent, _, _) in stats.items():
            children.setdefault(parent, []).append(pid)
        todo = [self.root]
        while todo:
            pid = todo.pop()
            if pid in stats:
                _, started, ticks = stats[pid]
                self.last[(pid, started)] = ticks
                todo.extend(children.get(pid, []))

    def used(self):
        """(root's ticks, tree's ticks) since the meter started."""
        tree = sum(t - self.base.get(k, 0) for k, t in self.last.items())
        own = sum(t - self.base.get(k, 0) for k, t in self.last.items() if k[0] == self.root)
        return own, tree


def count(log, who):
    prefix = f"{who} /watched.htm"
    with open(log) as f:
        return sum(1 for line in f if line.startswith(prefix))


def wait_for(tree, log, who, target):
    while count(log, who) < target:
        if stat_of(tree.root) is None:
            sys.exit("the measured program ended")
        tree.poll()
        time.sleep(0.25)
    tree.poll()


def main(argv):
    if len(argv) != 7:
        print(__doc__, file=sys.stderr)
        return 2
    pid, log, who = int(argv[1]), argv[2], argv[3]
    blocks, per_block, warmup = int(argv[4]), int(argv[5]), int(argv[6])
    tree = Tree(pid)
    started = time.monotonic()
    mark = count(log, who) + warmup
    wait_for(tree, log, who, mark)
    own_blocks, tree_blocks = [], []
    before = tree.used()
    for _ in range(blocks):
        mark += per_block
        wait_for(tree, log, who, mark)
        now = tree.used()
        own_blocks.append((now[0] - before[0]) / TICK / per_block)
        tree_blocks.append((now[1] - before[1]) / TICK / per_block)
        before = now
    print(f"own={statistics.median(own_blocks):.3f} tree={statistics.median(tree_blocks):.3f} "
          f"own_blocks={','.join(f'{v:.3f}' for v in own_blocks)} "
          f"tree_blocks={','.join(f'{v:.3f}' for v in tree_blocks)} "
          f"seconds={time.monotonic() - started:.0f}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
