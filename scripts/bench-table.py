#!/usr/bin/env python3
"""Turns the benchmark suite's JSON output into Markdown tables, one per topic.

Ratios pair each row with a reference row of the same run, so that they hold
on any machine: the builder against meshoptimizer on the same input, an upload
against memcpy of the same bytes, GPU memory against the bytes handed over.
"""

import argparse
import json
import re
import sys

TIME_UNITS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
# Google Benchmark appends the run settings to a name; the table does not.
SETTING = re.compile(r"/(iterations|min_time|real_time|repeats|threads|process_time|manual_time)(:[^/]*)?")


def base_name(row):
    return SETTING.sub("", row["run_name"])


def seconds(row, field="real_time"):
    return row[field] * TIME_UNITS[row["time_unit"]]


def fmt(value, digits=3):
    if value is None:
        return ""
    if value == 0:
        return "0"
    if abs(value) >= 1000:
        return f"{value:,.0f}"
    return f"{value:.{digits}g}"


def ms(row):
    return fmt(seconds(row) * 1e3)


def ratio(row, rows, reference):
    other = rows.get(reference)
    if other is None or other is row or seconds(other) == 0:
        return ""
    return "×" + fmt(seconds(row) / seconds(other))


def counter(name, scale=1.0, digits=3):
    return lambda row, rows: fmt(row[name] * scale, digits) if name in row else ""


def parts(row):
    pieces = base_name(row).split("/")
    return pieces + [""] * (3 - len(pieces))


def case_of(row):
    return "/".join(p for p in parts(row)[1:] if p)


def frame_reference(row):
    scene = parts(row)[1]
    if scene.startswith("surface_"):
        return "Frame/surface_flat/1M_triangles"
    if scene.startswith("plane"):
        return "Frame/plane/1M_triangles"
    return ""


# What the figures should show: (what, row, reference row or None, field, at most), the field a time
# ("time": a ratio to the reference, or milliseconds without one) or a counter compared with the reference's.
TARGETS = [
    ("geometry build, grid order, vs meshoptimizer", "GeometryBuild/builder_memory/grid_order",
     "GeometryBuild/meshopt_fifo/grid_order", "time", 1.2),
    ("geometry build, shuffled, vs meshoptimizer", "GeometryBuild/builder_memory/shuffled",
     "GeometryBuild/meshopt_fifo/shuffled", "time", 1.2),
    ("shuffled draw calls vs grid order", "GeometryBuild/builder_memory/shuffled",
     "GeometryBuild/builder_memory/grid_order", "draw_calls", 1.1),
    ("shuffled ACMR vs grid order", "GeometryBuild/builder_memory/shuffled",
     "GeometryBuild/builder_memory/grid_order", "acmr_after", 1.1),
    ("shuffled GPU bytes per triangle vs grid order", "GeometryBuild/builder_memory/shuffled",
     "GeometryBuild/builder_memory/grid_order", "bytes_per_triangle", 1.1),
    ("SetValues 256^3 vs memcpy", "GridUpload/SetValues/256^3_floats", "GridUpload/memcpy/256^3_floats", "time", 2.0),
    ("SetVectors 128^3 vs memcpy", "GridUpload/SetVectors/128^3_vectors", "GridUpload/memcpy/128^3_vectors",
     "time", 3.0),
    ("deformed surface vs flat", "Frame/surface_deformed/1M_triangles", "Frame/surface_flat/1M_triangles",
     "time", 1.5),
    ("100^3 voxel block, ms", "Frame/voxels/1M", None, "time", 150.0),
    ("capped surface, 2 planes, vs flat", "Frame/surface_capped_2_planes/1M_triangles",
     "Frame/surface_flat/1M_triangles", "time", 1.8),
    ("plane, 3 clip planes, vs unclipped", "Frame/plane_3_clip_planes/1M_triangles", "Frame/plane/1M_triangles",
     "time", 1.25),
]


def targets_table(rows):
    lines = ["| Target | measured | at most | met |", "|---|---|---|---|"]
    for what, name, reference, field, limit in TARGETS:
        row, other = rows.get(name), rows.get(reference) if reference else None
        if row is None or (reference and other is None):
            continue
        if field == "time":
            value = seconds(row) / seconds(other) if other else seconds(row) * 1e3
        else:
            value = row[field] / other[field]
        lines.append(f"| {what} | {fmt(value)} | {fmt(limit)} | {'yes' if value <= limit else 'no'} |")
    return "\n".join(lines) if len(lines) > 2 else ""


# Each topic: title, what its figures mean, and its columns (header, cell).
TOPICS = [
    ("GeometryBuild", "Geometry build",
     "A 1M-triangle soup (closed UV sphere, 500 stacks x 1000 slices, position and normal per vertex; 3M input "
     "vertices) in grid order and with its triangles shuffled. builder_gl: the library's BuildTriangleGeometry "
     "(spatial order, dedupe, split into 16-bit draw calls, closed-surface and edge-length checks, parallel "
     "Tipsify, renumbering) uploading to the GL device, glFinish included. builder_memory: the same on the "
     "recording device (CPU work only); _no_reorder: the builder alone on the list as given, without spatial "
     "order, Tipsify and renumbering. builder_memory_indexed/plane: BuildTriangleGeometry of the indexed "
     "708 x 708 quad plane (1,002,528 triangles over 502,681 shared vertices). meshopt_*: meshoptimizer on the "
     "whole mesh with 32-bit indices: generateVertexRemap + remap + optimizeVertexCacheFifo(32) or "
     "optimizeVertexCache (default), then optimizeVertexFetch. ACMR: meshopt_analyzeVertexCache at cache size "
     "32, per draw call for the builder (each call starting cold). part/vertex_hash: the builder's vertex "
     "hash alone over the 3M input vertices.",
     [("Case", lambda r, rows: parts(r)[1]),
      ("Input", lambda r, rows: parts(r)[2]),
      ("ms", lambda r, rows: ms(r)),
      ("M triangles/s", lambda r, rows: fmt(r["triangles"] / seconds(r) / 1e6) if "triangles" in r else ""),
      ("time vs meshopt_fifo", lambda r, rows: ratio(r, rows, f"GeometryBuild/meshopt_fifo/{parts(r)[2]}")),
      ("ACMR before", counter("acmr_before")),
      ("ACMR after", counter("acmr_after")),
      ("draw calls", counter("draw_calls")),
      ("GPU bytes/triangle", counter("bytes_per_triangle"))]),
    ("DrawOverhead", "Draw overhead on the cache-hit path",
     "Recording device in its record-nothing mode, targets of 1920x1080 with probes, small geometry (one draw "
     "call). CPU time per IRenderable::Draw, counted heap allocations (replaced global operator new) per Draw, "
     "and BindDrawCall per Draw (a capped draw is 6 passes). part/pipeline_key: the pipeline-state key alone.",
     [("Mesh / variant", lambda r, rows: case_of(r)),
      ("ns CPU per Draw", lambda r, rows: fmt(seconds(r, "cpu_time") * 1e9)),
      ("allocations per Draw", counter("allocations_per_draw")),
      ("binds per Draw", counter("binds_per_draw"))]),
    ("GridUpload", "Grid upload to the GL device",
     "SetValues of 256^3 floats and SetVectors of 128^3 vectors on an existing grid of the same size (staging "
     "image, the copy into it with the value range found in the same pass, the GPU copy, glFinish), against "
     "memcpy of the same number of input bytes.",
     [("Operation", lambda r, rows: parts(r)[1]),
      ("Data", lambda r, rows: parts(r)[2]),
      ("ms", lambda r, rows: ms(r)),
      ("GB/s", lambda r, rows: fmt(r["bytes_per_second"] / 1e9) if "bytes_per_second" in r else ""),
      ("time vs memcpy", lambda r, rows: ratio(r, rows, f"GridUpload/memcpy/{parts(r)[2]}"))]),
    ("Frame", "Frames on the GL device",
     "1920x1080 with probe targets: clear, draw, glFinish; the first frame (program compilation, driver JIT) "
     "is not timed. Grids of 64^3 samples (101^3 for the voxels), displacement factor 0.5 where deformed (every "
     "sphere edge is shorter than a cell: no tessellation), clip planes x >= 0.5 and y <= 0.6 for the capped "
     "surface. plane: the 708 x 708 quad plane (1,002,528 triangles) that other renderers publish figures for, "
     "seen straight on over about two thirds of the image, coloured by a scalar field whose lowest and highest "
     "parts take the underflow and overflow colours, lit; 3_clip_planes cuts it with x >= 0.1, y <= 0.9 and "
     "x + y <= 1.6, capping off. The voxels are a solid block of 100^3 cells: the host draws those that can "
     "be seen (VisibleVoxels: its shell) listed in packed order, which this camera sees back to front; "
     "front_to_back lists them reversed; whole_list draws all 1,000,000. Coverage: share of pixels drawn.",
     [("Scene", lambda r, rows: case_of(r)),
      ("ms per frame", lambda r, rows: ms(r)),
      ("time vs unclipped, undeformed", lambda r, rows: ratio(r, rows, frame_reference(r))),
      ("coverage", lambda r, rows: fmt(r["coverage"] * 100, 3) + " %" if "coverage" in r else "")]),
    ("ViewerFrame", "Viewer frames",
     "korvex-view's frame at 1024x768 without its window, the 1M-triangle sphere of Frame: turn redraws the "
     "scene with the camera a degree further round, reads the probe targets at one pixel and composes a "
     "full-size overlay over the colours (upload and blend); cursor_move only probes and composes. The "
     "overlay's text rasterisation and the window's swap are not included.",
     [("Interaction", lambda r, rows: case_of(r)),
      ("ms per frame", lambda r, rows: ms(r))]),
    ("ProgramCreation", "Program creation",
     "Per variant (probe targets on, no clip planes; the cap with one): specialising the templates, "
     "translating and linking (CreateProgram) on the GL device. first_draw: a mesh's Draw with a fresh "
     "ResourceCache on a 256x256 target, which adds the pipeline state and the driver's compilation at "
     "first use. Mesa's on-disk shader cache is off for the run.",
     [("Variant", lambda r, rows: case_of(r)),
      ("ms", lambda r, rows: ms(r))]),
    ("CellMesh", "Finite-element meshes to grids",
     "About a million tetrahedra (55^3 hexahedra cut into six each, 176k points), host/fields on the CPU "
     "(oneTBB on all cores). read: the .vtu file (appended raw binary, a scalar and a vector per point, 46 MB); "
     "cells: checking the cells and merging points by position; surface: the faces used "
     "by one cell, their triangles with crease-split normals and their edges; sample_owners: the cell of each "
     "sample of a 254^3 grid (16.4M samples, the default budget), samples near the surface included; resample: a scalar and a "
     "vector point field interpolated at every sample together and the rest filled; all: the five in a row.",
     [("Stage", lambda r, rows: parts(r)[1]),
      ("Mesh", lambda r, rows: parts(r)[2]),
      ("ms", lambda r, rows: ms(r)),
      ("M cells/s", lambda r, rows: fmt(r["cells"] / seconds(r) / 1e6) if "cells" in r else ""),
      ("M samples/s", lambda r, rows: fmt(r["samples"] / seconds(r) / 1e6)
       if parts(r)[1] in ("sample_owners", "resample", "all") else "")]),
    ("GpuMemory", "GPU memory of the drawn data",
     "Bytes of the buffers the builder (vertex and index buffers) and the voxel mesh (voxel list, and a byte of "
     "covered faces per voxel) create, per element, against the bytes the host handed over (24-byte vertices; "
     "packed 32-bit voxel indices). "
     "Constant buffers, gradients and grids are per mesh or per grid, not per element.",
     [("Data", lambda r, rows: case_of(r)),
      ("elements", counter("elements")),
      ("GPU bytes per element", counter("gpu_bytes_per_element", digits=4)),
      ("of which index bytes", counter("index_bytes_per_element")),
      ("input bytes per element", counter("input_bytes_per_element")),
      ("GPU / input", lambda r, rows: fmt(r["gpu_bytes_per_element"] / r["input_bytes_per_element"])
       if "gpu_bytes_per_element" in r else "")]),
]


def select_rows(benchmarks):
    """One row per benchmark: the median when repetitions were run."""
    medians = [b for b in benchmarks if b.get("run_type") == "aggregate" and b.get("aggregate_name") == "median"]
    chosen = medians or [b for b in benchmarks if b.get("run_type", "iteration") == "iteration"]
    return {base_name(b): b for b in chosen}


def table(columns, rows, names):
    lines = ["| " + " | ".join(header for header, _ in columns) + " |",
             "|" + "|".join("---" for _ in columns) + "|"]
    for name in names:
        row = rows[name]
        if row.get("error_occurred"):
            cells = [case_of(row), "error: " + row.get("error_message", "")] + [""] * (len(columns) - 2)
        else:
            cells = [cell(row, rows) for _, cell in columns]
        lines.append("| " + " | ".join(cells) + " |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("json")
    parser.add_argument("--cpu-model", default="unknown")
    parser.add_argument("--cores", default="unknown")
    parser.add_argument("--load-before", default="unknown")
    parser.add_argument("--load-after", default="unknown")
    parser.add_argument("--other-cpu", default="unknown")
    args = parser.parse_args()

    with open(args.json, encoding="utf-8") as f:
        run = json.load(f)
    context = run.get("context", {})
    rows = select_rows(run.get("benchmarks", []))

    out = ["# Benchmark results", "",
           f"- CPU: {args.cpu_model}, {args.cores} cores (nproc)",
           f"- GL renderer: {context.get('gl_renderer', 'unknown')} (EGL platform: {context.get('gl_platform', 'none')})",
           f"- Run: {context.get('date', 'unknown')} on {context.get('host_name', 'unknown')}, library built Release; "
           f"the Debian package of Google Benchmark calls its own build {context.get('library_build_type', 'unknown')}",
           f"- Load average (1, 5, 15 min) before the run: {args.load_before}; after: {args.load_after} "
           "(the run itself adds up to 3: llvmpipe draws on two threads besides the main one)",
           f"- Other processes during the run: {args.other_cpu}",
           "- Produced by scripts/bench; times are wall-clock unless a column says CPU.", ""]
    targets = targets_table(rows)
    if targets:
        out += ["## Targets", "", "Ratios to the reference rows of this run (time, or the counter compared).", "",
                targets, ""]
    placed = set()
    for family, title, meaning, columns in TOPICS:
        names = [name for name in rows if name.split("/")[0] == family]
        if not names:
            continue
        placed.update(names)
        out += [f"## {title}", "", meaning, "", table(columns, rows, names), ""]
    others = [name for name in rows if name not in placed]
    if others:
        generic = [("Benchmark", lambda r, rows: base_name(r)), ("ms", lambda r, rows: ms(r))]
        out += ["## Other", "", table(generic, rows, others), ""]
    sys.stdout.write("\n".join(out))


if __name__ == "__main__":
    main()
