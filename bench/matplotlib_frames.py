#!/usr/bin/python3
"""The animation's run computed and drawn by matplotlib, as a reference for the program's CPU.

The same 261 frames of the same field at k = 14, as three one-pixel lines without antialiasing
over the grey baseline, in a figure the size of the plot, with blitting: each frame restores the
background, draws the lines and blits them. Agg, no display. Prints the CPU time per frame
(process time, all threads) of the run alone, set-up excluded, in milliseconds.

    usage: matplotlib_frames.py [--picture PNG]   (PNG: the first frame, for a look)
"""

import argparse
import time

import matplotlib

matplotlib.use("Agg")

import numpy as np  # noqa: E402
from matplotlib.backends.backend_agg import FigureCanvasAgg  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402

# The field's constants, in the program's order of operations.
P = 3.1416
KAPPA = 1.3
D = 12.0
RHO = 0.7
K = 14.0

# A resolution that divides both sides, so that the figure is exactly the plot's pixels.
WIDTH, HEIGHT, DPI = 633, 201, 3
PIXEL = 72 / DPI  # one pixel, in points

RED, GREEN, BLUE, GREY = "#800000", "#008000", "#0000ff", "#808080"


def positions():
    """The sweep's x values, by repeated addition as the program makes them."""
    xs = []
    x = -4.4
    while x <= 10.5:
        xs.append(x)
        x += 0.02
    return np.array(xs)


def times():
    t = 0
    while t <= 1.3:
        yield t
        t += 0.005


def field(x, t, k, v):
    m = x + P
    n = x - P
    e1 = np.exp(KAPPA * (m - v * t))
    h1 = 2 / (e1 + 1 / e1)
    theta1 = k * m - v * t
    e2 = np.exp(KAPPA * ((m + v * t) - D))
    h2 = 2 / (e2 + 1 / e2)
    theta2 = k * n + v * t
    re = h1 * np.sin(theta1) + h2 * np.sin(theta2)
    im = h1 * np.cos(theta1) + h2 * -np.cos(theta2)
    return re, im, (re**2 + im**2) * RHO


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--picture", help="save the first frame as this PNG")
    args = parser.parse_args()

    figure = Figure(figsize=(WIDTH / DPI, HEIGHT / DPI), dpi=DPI)
    canvas = FigureCanvasAgg(figure)
    axes = figure.add_axes((0, 0, 1, 1))
    axes.set_xlim(-4, 9.5)
    axes.set_ylim(-6.3, 1.8)
    axes.set_axis_off()
    axes.axhline(-5.54, color=GREY, linewidth=PIXEL, antialiased=False)
    xs = positions()
    traces = [
        axes.plot(xs, np.zeros_like(xs), color=colour, linewidth=PIXEL, antialiased=False,
                  animated=True)[0]
        for colour in (RED, GREEN, BLUE)
    ]
    canvas.draw()
    background = canvas.copy_from_bbox(figure.bbox)

    k = K
    v = k / 2
    frames = 0
    start = time.process_time()
    for t in times():
        canvas.restore_region(background)
        re, im, density = field(xs, t, k, v)
        for trace, ys in zip(traces, (re - 0.7, (im - 0.7) - 0.05, density - 5.5)):
            trace.set_ydata(ys)
            axes.draw_artist(trace)
        canvas.blit(figure.bbox)
        if frames == 0 and args.picture:
            paused = time.process_time()
            matplotlib.image.imsave(args.picture, np.asarray(canvas.buffer_rgba()))
            start += time.process_time() - paused
        frames += 1
    # The run ends with only the baseline, as the program's does.
    canvas.restore_region(background)
    canvas.blit(figure.bbox)
    cpu = time.process_time() - start

    print(f"frames {frames} cpu_ms_per_frame {cpu / frames * 1000:.4f}")


if __name__ == "__main__":
    main()
