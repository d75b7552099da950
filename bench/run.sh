#!/bin/bash
# Builds the benchmarks in Release and prints the fast engine's times against
# the reference transcription measured in the same run, and corvane-calc's
# time end to end against loading and recalculating in-process (medians of
# several interleaved repetitions: the ratios are what to compare on a busy
# machine).
#
#   bash bench/run.sh                      # everything
#   bash bench/run.sh --benchmark_filter=UpdateBody
#
# Environment: CORVANE_BENCH_DIR (build folder, default build-bench),
# CORVANE_BENCH_REPS (repetitions, default 5), CORVANE_JOBS (build jobs, default 1).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_BENCH_DIR:-$here/build-bench}
reps=${CORVANE_BENCH_REPS:-5}
jobs=${CORVANE_JOBS:-1}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DCORVANE_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target corvane_bench -j"$jobs"

json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$build/bench/corvane_bench" --benchmark_repetitions="$reps" \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    --benchmark_out="$json" --benchmark_out_format=json "$@"

python3 - "$json" <<'PY'
import json, sys

runs = json.load(open(sys.argv[1]))["benchmarks"]
unit = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
median = {}
for r in runs:
    if r.get("aggregate_name") == "median":
        parts = r["run_name"].split("/")
        name = "/".join(p for p in parts if p != "real_time" and not p.startswith("min_time:"))
        median[name] = r["real_time"] * unit[r["time_unit"]]

def show(title, ref, fast, limit=None):
    if ref not in median or fast not in median:
        return
    t, f = median[ref], median[fast]
    line = f"{title:<44} {f:9.3f} ms   reference {t:9.3f} ms   {t / f:6.1f} x faster"
    if limit is not None:
        line += "   (target < %g ms: %s)" % (limit, "met" if f < limit else "NOT met")
    print(line)

print()
print("Median wall-clock times, fast engine against the reference in the same run:")
show("RecalculateModel 51x50x4096, unequal strike", "BM_ModelReference", "BM_RecalculateModel/0", 50)
show("  the same on one thread", "BM_ModelReference", "BM_RecalculateModel/1")
show("  equal strike lengths", "BM_ModelReference", "BM_RecalculateModelEqualStrike")
for arg, what in (("0", ""), ("1", ", one thread")):
    flat, lifted = "BM_RecalculateModel/" + arg, "BM_RecalculateModelHeights/" + arg
    if flat in median and lifted in median:
        r = median[lifted] / median[flat]
        print(f"{'  stations at heights' + what:<44} {median[lifted]:9.3f} ms   flat {median[flat]:9.3f} ms   "
              f"{r:6.3f} x the time   (target <= 1.10: {'met' if r <= 1.10 else 'NOT met'})")
show("UpdateBody 50 corners x 4096 (corner drag)", "BM_BodyReference", "BM_UpdateBody/0", 1.5)
show("  the same on one thread", "BM_BodyReference", "BM_UpdateBody/1")
show("UpdateBody on a 10-station profile", "BM_SmallProfileReference", "BM_SmallProfileUpdateBody")
if "BM_CorvaneCalc" in median and "BM_LoadAndRecalculate" in median:
    c, l = median["BM_CorvaneCalc"], median["BM_LoadAndRecalculate"]
    print(f"{'corvane-calc 51x50x4096, end to end':<44} {c:9.3f} ms   load + recalculate {l:9.3f} ms   {c / l:6.2f} x the time")
if "BM_InversionRun" in median and "BM_InversionBodyReference" in median:
    run, ref = median["BM_InversionRun"], median["BM_InversionBodyReference"]
    print(f"{'Inversion, 10 unknowns x 10 iterations':<44} {run:9.3f} ms   reference {ref:9.3f} ms   "
          f"{run / ref:6.1f} reference calculations of the body")
if "BM_AllBodiesIteration" in median and "BM_UpdateBody20Corners" in median:
    it, jac, one = median["BM_AllBodiesIteration"], median["BM_AllBodiesJacobian"], median["BM_UpdateBody20Corners"]
    print(f"{'All bodies, 100 unknowns x 4096, 1 iteration':<44} {it:9.3f} ms   (target < 100 ms: {'met' if it < 100 else 'NOT met'})")
    print(f"{'  its Jacobian, 100 columns':<44} {jac:9.3f} ms   UpdateBody 20 corners {one:9.3f} ms   "
          f"{jac / (100 * one):6.2f} x one UpdateBody per unknown")
if "BM_RecalculateModel/0" in median and "BM_ModelReference" in median:
    ratio = median["BM_ModelReference"] / median["BM_RecalculateModel/0"]
    print("RecalculateModel speed-up target (20 x): %s" % ("met" if ratio >= 20 else "NOT met"))
if "BM_LoadLargestModel/0" in median and "BM_LoadLargestModel/1" in median:
    plain, full = median["BM_LoadLargestModel/0"], median["BM_LoadLargestModel/1"]
    print(f"{'Load 51x50x4096 with a full extras block':<44} {full:9.3f} ms   without {plain:9.3f} ms   "
          f"{full / plain:6.3f} x the time")
    if "BM_ReadFullExtras" in median:
        print(f"{'  reading the block alone':<44} {median['BM_ReadFullExtras']:9.3f} ms")
print()
print("Magnetic anomaly, fast engine against the reference in the same run:")
show("Magnetic 51x50x4096, unequal strike", "BM_MagModelReference", "BM_MagRecalculateModel/0", 50)
show("  the same on one thread", "BM_MagModelReference", "BM_MagRecalculateModel/1")
show("  equal strike lengths", "BM_MagModelReference", "BM_MagRecalculateModelEqualStrike")
show("  stations at different heights", "BM_MagModelReference", "BM_MagRecalculateModelHeights")
show("Magnetic UpdateBody 50 corners x 4096", "BM_MagBodyReference", "BM_MagUpdateBody/0")
show("  the same on one thread", "BM_MagBodyReference", "BM_MagUpdateBody/1")
if "BM_GravityMagneticUpdateBody" in median:
    t = median["BM_GravityMagneticUpdateBody"]
    print(f"{'Gravity + magnetic UpdateBody, 50 corners':<44} {t:9.3f} ms   (target < 2 ms: {'met' if t < 2 else 'NOT met'})")
if "BM_MagRecalculateModel/0" in median and "BM_MagModelReference" in median:
    ratio = median["BM_MagModelReference"] / median["BM_MagRecalculateModel/0"]
    print("Magnetic recalculation speed-up target (15 x): %s" % ("met" if ratio >= 15 else "NOT met"))
print()
print("Gravity gradients (six components), fast engine against the reference in the same run:")
show("Gradients 51x50x4096, unequal strike", "BM_GradModelReference", "BM_GradRecalculateModel/0", 60)
show("  the same on one thread", "BM_GradModelReference", "BM_GradRecalculateModel/1")
show("Magnetic + gradients in one pass", "BM_MagneticThenGradient", "BM_MagneticGradientOnePass")
if "BM_GradRecalculateModel/0" in median and "BM_GradModelReference" in median:
    ratio = median["BM_GradModelReference"] / median["BM_GradRecalculateModel/0"]
    print("Gradient speed-up target (15 x): %s" % ("met" if ratio >= 15 else "NOT met"))
if "BM_UpdateBodyGravityMagneticGradient" in median:
    t = median["BM_UpdateBodyGravityMagneticGradient"]
    print(f"{'Gravity + magnetic + gradient UpdateBody':<44} {t:9.3f} ms   (target < 3 ms: {'met' if t < 3 else 'NOT met'})")
print()
print("Undo and redo, against one RecalculateModel of the same model as reference:")
show("Undo + redo of a linked body move, 51x50x4096", "BM_RecalculateModel/0", "BM_UndoRedoLinkedMove", 100)
show("Undo + redo of a change of units (all bodies)", "BM_RecalculateModel/0", "BM_UndoRedoChangeUnits", 100)
show("Recording one step (copy and compare)", "BM_RecalculateModel/0", "BM_RecordStep")
print()
print("Repaint with a 4000 x 2000 backdrop, against the same repaint without one:")
for title, name in (("Repaint, backdrop's scaled copy kept", "BM_PaintBackdrop/1"),
                    ("Repaint, backdrop scaled afresh (a zoom)", "BM_PaintBackdrop/2")):
    if name in median and "BM_PaintBackdrop/0" in median:
        f, t = median[name], median["BM_PaintBackdrop/0"]
        print(f"{title:<44} {f:9.3f} ms   without {t:9.3f} ms   {f / t:6.2f} x the time")
print()
print("Map view with a 4000 x 4000 grid, against the same view without one:")
for title, name in (("Repaint, grid picture kept", "BM_PaintPlanView/1"),
                    ("Repaint, grid read afresh (a pan)", "BM_PaintPlanView/2")):
    if name in median and "BM_PaintPlanView/0" in median:
        f, t = median[name], median["BM_PaintPlanView/0"]
        print(f"{title:<44} {f:9.3f} ms   without {t:9.3f} ms   {f / t:6.2f} x the time   "
              f"(target < 10 ms: {'met' if f < 10 else 'NOT met'})")
if "BM_SampleGrid/0" in median and "BM_SampleGrid/1" in median:
    s, b = median["BM_SampleGrid/0"], median["BM_SampleGrid/1"]
    print(f"{'Sampling 4096 stations, 20000 x 20000 grid':<44} {b:9.3f} ms   1000 x 1000 {s:9.3f} ms   "
          f"{b / s:6.2f} x the time   (target < 200 ms, < 3 x: {'met' if b < 200 and b < 3 * s else 'NOT met'})")
PY
