"""Times scikit-learn's entropy decision tree on a treebench CSV file.

    python3 peer_fit.py FILE.csv [--repeat R] [--float32]

Prints one line: examples=N fit_s=BEST nodes=M depth=D peak_rss_mb=...
Only fit is timed, best of R (default 3); the peak memory is the process's,
loading included, as treebench-bench reports its own.

The file is loaded the usual way, as float64, which fit copies to the
float32 it learns on. --float32 loads float32 and spares that copy.
"""
import resource
import sys
import time

import numpy as np
from sklearn.tree import DecisionTreeClassifier


def main(argv):
    args = argv[1:]
    float32 = "--float32" in args
    if float32:
        args.remove("--float32")
    if len(args) not in (1, 3) or (len(args) == 3 and args[1] != "--repeat"):
        sys.exit("usage: peer_fit.py FILE.csv [--repeat R] [--float32]")
    repeat = int(args[2]) if len(args) == 3 else 3
    data = np.loadtxt(args[0], delimiter=",", dtype=np.float32 if float32 else np.float64, ndmin=2)
    features = data[:, :-1]
    classes = data[:, -1]
    best = None
    tree = None
    for _ in range(repeat):
        tree = DecisionTreeClassifier(criterion="entropy")
        start = time.perf_counter()
        tree.fit(features, classes)
        seconds = time.perf_counter() - start
        best = seconds if best is None or seconds < best else best
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
    print(
        "examples=%d fit_s=%.6f nodes=%d depth=%d peak_rss_mb=%.0f"
        % (len(classes), best, tree.tree_.node_count, tree.get_depth(), peak)
    )


if __name__ == "__main__":
    main(sys.argv)
