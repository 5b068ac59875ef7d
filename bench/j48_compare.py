#!/usr/bin/env python3
"""Compares the textbook learner's trees with Weka's J48, tree for tree.

    bench/j48_compare.py [--ours PROGRAM] [--weka JAR] [--keep DIR] [NAME...]

For every data set it learns three trees with each learner, J48 -B (pruned),
J48 -B -U and J48 -B -U -M 1, and ours with the same options (the default,
--unpruned, --unpruned --min-leaf 1), and compares J48's text with ours as
treebench-textbook-bench --tree prints it. It prints a Markdown table: one
row per data set, one column per option set, each "equal", "equal but for
J48's rounding" (with what rounding) or "differs" (with the first line that
differs). The data sets are:

  - every ARFF file Weka ships in /usr/share/doc/weka/examples whose
    attributes are all nominal or numeric (the others are listed as skipped);
  - scikit-learn's classification CSV files (iris, breast cancer, wine,
    digits), written as ARFF with scikit-learn's names for their columns;
  - generated sets with missing values, nominal and numeric attributes and up
    to forty classes, drawn from fixed seeds.

NAME picks data sets by name. --keep DIR keeps the ARFF files written and
both learners' trees there. It runs Java, so it is for developers only, by
hand; no test runs it. Weka: `apt-get install weka` (the JAR defaults to
/usr/share/java/weka.jar). scikit-learn's files: `apt-get install
python3-sklearn`.
"""
import argparse
import gzip
import math
import os
import random
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(HERE)
WEKA_EXAMPLES = "/usr/share/doc/weka/examples"
SKLEARN_DATA = "/usr/lib/python3/dist-packages/sklearn/datasets/data"
OPTION_SETS = [
    ("J48 -B", [], []),
    ("J48 -B -U", ["-U"], ["--unpruned"]),
    ("J48 -B -U -M 1", ["-U", "-M", "1"], ["--unpruned", "--min-leaf", "1"]),
]


def arff_name(text):
    return "'" + text.replace("\\", "\\\\").replace("'", "\\'") + "'"


def write_arff(path, relation, attributes, rows):
    """attributes: (name, None for numeric or a list of labels); rows: lists
    of values, None for a missing one, the class last."""
    with open(path, "w") as out:
        out.write("@relation %s\n\n" % arff_name(relation))
        for name, labels in attributes:
            kind = "numeric" if labels is None else "{" + ",".join(arff_name(v) for v in labels) + "}"
            out.write("@attribute %s %s\n" % (arff_name(name), kind))
        out.write("\n@data\n")
        for row in rows:
            fields = []
            for (name, labels), value in zip(attributes, row):
                if value is None:
                    fields.append("?")
                elif labels is None:
                    fields.append(repr(value) if isinstance(value, float) else str(value))
                else:
                    fields.append(arff_name(labels[value]))
            out.write(",".join(fields) + "\n")


def weka_sets(skipped):
    sets = []
    for name in sorted(os.listdir(WEKA_EXAMPLES)):
        if not name.endswith(".arff"):
            continue
        path = os.path.join(WEKA_EXAMPLES, name)
        kinds = []
        with open(path, errors="replace") as arff:
            for line in arff:
                match = re.match(r"\s*@attribute\s+('[^']*'|\"[^\"]*\"|\S+)\s+(\S+)", line, re.I)
                if match:
                    kind = match.group(2).lower()
                    kinds.append("nominal" if kind.startswith("{") else kind)
                elif re.match(r"\s*@data", line, re.I):
                    break
        other = set(kinds) - {"nominal", "numeric", "real", "integer"}
        if kinds and kinds[-1] != "nominal" and not other:
            skipped.append((name[:-5], "has a numeric class, a regression task that neither learner takes"))
        elif other:
            skipped.append((name[:-5], "has %s attributes, which neither learner takes" % "/".join(sorted(other))))
        else:
            sets.append((name[:-5], path))
    return sets


def sklearn_sets(work, skipped):
    """scikit-learn's CSV files: a first line of counts and class names,
    then rows of values with the class index last."""
    try:
        from sklearn import datasets
    except ImportError:
        skipped.append(("scikit-learn", "not installed (apt-get install python3-sklearn)"))
        return []
    loaders = [("iris", "iris.csv", datasets.load_iris), ("breast_cancer", "breast_cancer.csv", datasets.load_breast_cancer),
               ("wine", "wine_data.csv", datasets.load_wine), ("digits", "digits.csv.gz", datasets.load_digits)]
    sets = []
    for name, file, loader in loaders:
        source = os.path.join(SKLEARN_DATA, file)
        opener = gzip.open if file.endswith(".gz") else open
        with opener(source, "rt") as csv:
            lines = [line.strip() for line in csv if line.strip()]
        header = lines[0].split(",")
        features = [str(f) for f in loader().feature_names]
        if name == "digits":
            labels = [str(c) for c in range(10)]
            body = lines
        else:
            labels = header[2:]
            body = lines[1:]
        rows = []
        for line in body:
            fields = line.split(",")
            rows.append([float(f) for f in fields[:-1]] + [int(float(fields[-1]))])
        attributes = [(f, None) for f in features] + [("class", labels)]
        path = os.path.join(work, "sklearn-" + name + ".arff")
        write_arff(path, name, attributes, [[fmt(v) for v in r[:-1]] + [r[-1]] for r in rows])
        sets.append(("sklearn-" + name, path))
    return sets


def fmt(value):
    """A value as its shortest decimal, as the CSV had it."""
    return int(value) if value == int(value) and abs(value) < 1e15 else value


def generated_sets(work):
    """Sets whose classes follow a hidden rule on some attributes, with
    noise, and whose values go missing at random."""
    configurations = [
        # name, rows, numeric, nominal, classes, missing share, seed
        ("gen-missing-2-classes", 600, 4, 3, 2, 0.15, 1),
        ("gen-missing-10-classes", 1500, 5, 2, 10, 0.10, 2),
        ("gen-40-classes", 3000, 6, 1, 40, 0.05, 3),
        ("gen-nominal-missing", 500, 0, 6, 3, 0.20, 4),
        ("gen-integers-missing", 800, 5, 0, 4, 0.10, 5),
        ("gen-no-missing", 2000, 6, 2, 3, 0.0, 6),
    ]
    sets = []
    for name, count, numeric, nominal, classes, missing, seed in configurations:
        rng = random.Random(seed)
        attributes = []
        for a in range(numeric):
            attributes.append(("n%d" % (a + 1), None))
        for a in range(nominal):
            attributes.append(("c%d" % (a + 1), ["v%d" % k for k in range(rng.randint(2, 6))]))
        attributes.append(("class", ["k%d" % k for k in range(classes)]))
        integers = name.startswith("gen-integers")
        rows = []
        for _ in range(count):
            row = []
            for attr, labels in attributes[:-1]:
                if labels is None:
                    row.append(rng.randint(0, 20) if integers else round(rng.gauss(0, 1) * 10, 2))
                else:
                    row.append(rng.randrange(len(labels)))
            # The hidden rule: a weighted sum of a few values, cut into bands.
            score = 0.0
            for k, value in enumerate(row):
                labels = attributes[k][1]
                score += (value if labels is None else value * 7.0) * ((k % 3) - 1 + 0.5)
            band = int(math.floor(score / 8.0)) % classes
            if rng.random() < 0.15:
                band = rng.randrange(classes)
            row = [None if rng.random() < missing else v for v in row]
            rows.append(row + [band])
        path = os.path.join(work, name + ".arff")
        write_arff(path, name, attributes, rows)
        sets.append((name, path))
    return sets


def j48_tree(weka, path, options):
    run = subprocess.run(["java", "-Xmx4g", "-cp", weka, "weka.classifiers.trees.J48", "-B"] + options + ["-t", path, "-no-cv"],
                         capture_output=True, text=True)
    text = run.stdout
    start = text.find("------------------\n")
    end = text.find("\nNumber of Leaves")
    if start < 0 or end < 0:
        raise RuntimeError("J48 printed no tree: " + (run.stderr.strip() or text.strip())[:200])
    return text[start + len("------------------\n"):end].strip("\n") + "\n"


def our_tree(ours, path, options):
    run = subprocess.run(ours + [path, "--tree"] + options, capture_output=True, text=True)
    if run.returncode != 0:
        raise RuntimeError("ours failed: " + run.stderr.strip()[:200])
    lines = run.stdout.splitlines()
    # The tree stands before "Number of Leaves".
    tree = []
    for line in lines:
        if line.startswith("Number of Leaves"):
            break
        tree.append(line)
    return "\n".join(l for l in tree if l) + "\n"


LINE = re.compile(r"^((?:\|   )*)(.*?)( (<=|>|=|!=) (.*?))?(: (.*) \(([-0-9.E]+)(?:/([-0-9.E]+))?\))?$")


def parse(text):
    parsed = []
    for line in text.splitlines():
        match = LINE.match(line)
        depth, attribute, _, op, value, _, leaf, weight, errors = match.groups()
        parsed.append((len(depth) // 4, attribute, op, value, leaf, float(weight) if weight else None,
                       float(errors) if errors else 0.0))
    return parsed


def same_number(a, b):
    x, y = float(a), float(b)
    return abs(x - y) <= 1e-6 * max(1.0, abs(x)) * 2.5


def compare(j48, ours):
    if j48 == ours:
        return "equal"
    a, b = parse(j48), parse(ours)
    if len(a) != len(b):
        return "differs: %d lines against %d" % (len(a), len(b))
    reasons = set()
    for number, (x, y) in enumerate(zip(a, b), 1):
        same_test = x[0] == y[0] and x[1] == y[1] and x[2] == y[2] and x[4] == y[4]
        if same_test and x[3] != y[3] and x[2] in ("<=", ">") and same_number(x[3], y[3]):
            reasons.add("a threshold within J48's margin of 1e-6")
        elif not same_test or x[3] != y[3]:
            return "differs at line %d: `%s`" % (number, j48.splitlines()[number - 1].strip())
        if x[5] is not None and (abs(x[5] - y[5]) > 0.0101 or abs(x[6] - y[6]) > 0.0101):
            return "differs at line %d: weights %s/%s against %s/%s" % (number, x[5], x[6], y[5], y[6])
        if x[5] is not None and (x[5] != y[5] or x[6] != y[6]):
            reasons.add("fractional weights rounded to the other side of 0.005")
    return "equal but for J48's rounding: " + "; ".join(sorted(reasons))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--ours", default=os.path.join(TOP, "build", "release", "treebench-textbook-bench"))
    parser.add_argument("--weka", default="/usr/share/java/weka.jar")
    parser.add_argument("--keep")
    parser.add_argument("names", nargs="*")
    args = parser.parse_args()
    ours = args.ours.split()
    work = args.keep or tempfile.mkdtemp(prefix="treebench-j48-")
    os.makedirs(work, exist_ok=True)
    skipped = []
    sets = weka_sets(skipped) + sklearn_sets(work, skipped) + generated_sets(work)
    if args.names:
        sets = [s for s in sets if s[0] in args.names]
    print("| data set | " + " | ".join(o[0] for o in OPTION_SETS) + " |")
    print("|---|" + "---|" * len(OPTION_SETS))
    tally = {}
    for name, path in sets:
        cells = []
        for label, j48_options, our_options in OPTION_SETS:
            try:
                j48 = j48_tree(args.weka, path, j48_options)
                mine = our_tree(ours, path, our_options)
                verdict = compare(j48, mine)
                if args.keep:
                    stem = os.path.join(work, name + label.replace("J48", "").replace(" ", ""))
                    for suffix, text in ((".j48.txt", j48), (".ours.txt", mine)):
                        with open(stem + suffix, "w") as out:
                            out.write(text)
            except RuntimeError as error:
                verdict = "failed: " + str(error)
            cells.append(verdict)
            kind = verdict.split(":")[0]
            tally[kind] = tally.get(kind, 0) + 1
        print("| %s | %s |" % (name, " | ".join(cells)))
        sys.stdout.flush()
    print()
    for name, why in skipped:
        print("Skipped %s: %s." % (name, why))
    print("Trees: " + ", ".join("%d %s" % (n, k) for k, n in sorted(tally.items())) + ".")


if __name__ == "__main__":
    main()
