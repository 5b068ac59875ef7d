"""Writes the data set on which bench/textbook_compare.sh times the textbook
learner beside its peers, as CSV (for treebench and scikit-learn) and ARFF
(for Weka's J48).

    python3 textbook_data.py ROWS ATTRIBUTES OUT.csv OUT.arff [SEED]

Each attribute is uniform on [0, 1), written with six decimals; the class
(0 or 1) follows a rule on the first three, x1 * x2 + x3 / 2 > 1/2, and one
row in ten has it flipped, so that the trees have both structure and noise
to fit.
"""
import sys

import numpy as np


def main(argv):
    if len(argv) not in (5, 6):
        sys.exit("usage: textbook_data.py ROWS ATTRIBUTES OUT.csv OUT.arff [SEED]")
    rows, attributes = int(argv[1]), int(argv[2])
    rng = np.random.default_rng(int(argv[5]) if len(argv) == 6 else 1)
    values = np.round(rng.random((rows, attributes)), 6)
    classes = (values[:, 0] * values[:, 1] + 0.5 * values[:, 2] > 0.5).astype(int)
    classes = np.where(rng.random(rows) < 0.1, 1 - classes, classes)
    table = np.column_stack([values, classes])
    formats = ["%.6f"] * attributes + ["%d"]
    np.savetxt(argv[3], table, fmt=formats, delimiter=",")
    with open(argv[4], "w") as arff:
        arff.write("@relation textbook_bench\n")
        for a in range(attributes):
            arff.write("@attribute x%d numeric\n" % (a + 1))
        arff.write("@attribute class {0,1}\n@data\n")
        with open(argv[3]) as csv:
            for line in csv:
                arff.write(line)


if __name__ == "__main__":
    main(sys.argv)
