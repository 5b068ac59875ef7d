"""Times one XGBoost tree on a treebench CSV file, loading included.

    python3 peer_xgboost.py FILE.csv

Prints one line: examples=N load_s=... fit_s=... nodes=M peak_rss_mb=...
The file is loaded with numpy as float32, then one boosting round of the
histogram method fits one tree; the wall time of the whole process is the
figure to set beside that of `treebench-bench FILE.csv --repeat 1`.
"""
import resource
import sys
import time

import numpy as np
import xgboost as xgb


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: peer_xgboost.py FILE.csv")
    start = time.perf_counter()
    data = np.loadtxt(argv[1], delimiter=",", dtype=np.float32, ndmin=2)
    loaded = time.perf_counter()
    matrix = xgb.DMatrix(data[:, :-1], label=data[:, -1])
    booster = xgb.train({"objective": "binary:logistic", "tree_method": "hist"}, matrix, num_boost_round=1)
    fitted = time.perf_counter()
    nodes = booster.get_dump()[0].count("\n")
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
    print(
        "examples=%d load_s=%.3f fit_s=%.3f nodes=%d peak_rss_mb=%.0f"
        % (len(data), loaded - start, fitted - loaded, nodes, peak)
    )


if __name__ == "__main__":
    main(sys.argv)
