#!/usr/bin/env python3
"""Generates a file tree of a given number of entries (files and folders) shaped like a
real disk: a few broad top-level folders, nesting up to about ten levels, most folders
holding a handful of files and some holding hundreds, names of varied length with common
extensions, files empty or sparse (sizes set without writing data).

usage: make_tree.py ROOT [ENTRIES] [SEED]"""

import os
import random
import sys

EXTENSIONS = ["txt", "jpg", "png", "mp3", "pdf", "c", "h", "cpp", "py", "json", "html", "so",
              "log", "xml", "md", "gz", "dat", "cfg", ""]
WORDS = ["data", "src", "lib", "image", "photo", "music", "report", "backup", "cache", "doc",
         "project", "build", "test", "module", "asset", "video", "note", "config", "share"]


def name(rng):
    base = rng.choice(WORDS) + "_" + str(rng.randrange(100000))
    if rng.random() < 0.3:
        base = rng.choice(WORDS).capitalize() + " " + base
    return base


def main():
    root = sys.argv[1]
    total = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 7)
    os.makedirs(root, exist_ok=True)
    made = 0
    # Breadth-first growth keeps the shape independent of the total: a queue of folders
    # to fill, each getting some files and some subfolders.
    queue = [(root, 0)]
    head = 0
    while made < total and head < len(queue):
        folder, depth = queue[head]
        head += 1
        # Most folders are small; a few are large (a photo or cache folder).
        if rng.random() < 0.02:
            files = rng.randrange(200, 800)
        else:
            files = int(rng.expovariate(1 / 5))
        subfolders = 0 if depth >= 10 else min(int(rng.expovariate(1 / 2.2)) + (1 if depth < 3 else 0), 12)
        used = set()
        for _ in range(subfolders):
            if made >= total:
                break
            n = name(rng)
            if n in used:
                continue
            used.add(n)
            path = os.path.join(folder, n)
            os.mkdir(path)
            made += 1
            queue.append((path, depth + 1))
        for _ in range(files):
            if made >= total:
                break
            ext = rng.choice(EXTENSIONS)
            n = name(rng) + ("." + ext if ext else "")
            if n in used:
                continue
            used.add(n)
            fd = os.open(os.path.join(folder, n), os.O_CREAT | os.O_WRONLY, 0o644)
            if rng.random() < 0.5:
                os.ftruncate(fd, int(rng.lognormvariate(9, 2.5)) % (1 << 34))
            os.close(fd)
            made += 1
        # A tree that ran out of folders before reaching the total grows another branch from
        # one of its shallow folders.
        if head == len(queue) and made < total:
            queue.append(rng.choice([q for q in queue[:500] if q[1] <= 3]))
    print(f"{made} entries under {root}")


if __name__ == "__main__":
    main()
