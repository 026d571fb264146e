#!/usr/bin/python3
"""The browser build's cost in headless Chromium, side by side with bench/canvas-page.html, which
draws the same 261 frames with a 2D canvas: in alternating rounds, the CPU of every Chromium
process during a run with START unchecked, split into the renderer and the GPU process; the frames
each page presented (animation frames in which it drew) and how long its run took. Then the
program's CPU while a frame is held, its start to the window's first paint on a cold cache, and
the size of its wasm. With BASELINE_SITE set to another build's folder, that build runs in the
rounds too, and the program's CPU is given as a ratio to it.
    web-bench.py SITE-FOLDER [ROUNDS] [JSON-OUT]"""

import asyncio
import gzip
import json
import os
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tools'))
import browser  # noqa: E402
from browser import RUN, START, WINDOW  # noqa: E402

FRAMES = 261
TICKS = os.sysconf('SC_CLK_TCK')

# Counts, before any of the page's own scripts, the animation frames in which the page drew:
# through WebGL (Qt's compositor) or a 2D canvas.
COUNTER = """
window.drawing = { frames: [], drew: false, first: null };
const noteDraw = () => {
  if (window.drawing.first === null) window.drawing.first = performance.now();
  window.drawing.drew = true;
};
for (const prototype of [WebGLRenderingContext.prototype, WebGL2RenderingContext.prototype]) {
  for (const name of ['drawArrays', 'drawElements']) {
    const draw = prototype[name];
    prototype[name] = function (...args) { noteDraw(); return draw.apply(this, args); };
  }
}
for (const name of ['stroke', 'putImageData', 'drawImage']) {
  const draw = CanvasRenderingContext2D.prototype[name];
  CanvasRenderingContext2D.prototype[name] = function (...args) {
    noteDraw(); return draw.apply(this, args);
  };
}
// The watch itself wakes the page every frame: stop() ends it, for a measurement of the idle.
let watching = true;
window.drawing.stop = () => { watching = false; };
const watch = (now) => {
  if (window.drawing.drew) window.drawing.frames.push(now);
  window.drawing.drew = false;
  if (watching) requestAnimationFrame(watch);
};
requestAnimationFrame(watch);
"""


def process_kind(pid):
    try:
        with open(f'/proc/{pid}/cmdline', 'rb') as file:
            arguments = file.read().replace(b'\0', b' ').split()
    except OSError:
        return None
    for argument in arguments:
        if argument.startswith(b'--type='):
            kind = argument[7:].decode()
            return {'renderer': 'renderer', 'gpu-process': 'gpu'}.get(kind, 'other')
    return 'other'


def cpu_seconds(chromium):
    """CPU so far of each of the browser's processes, with its kind."""
    seconds = {}
    for pid in chromium.pids():
        try:
            with open(f'/proc/{pid}/stat') as file:
                fields = file.read().rsplit(')', 1)[1].split()
        except OSError:
            continue
        seconds[pid] = (process_kind(pid), (int(fields[11]) + int(fields[12])) / TICKS)
    return seconds


def cpu_between(before, after):
    split = {'renderer': 0.0, 'gpu': 0.0, 'other': 0.0}
    for pid, (kind, seconds) in after.items():
        if kind:
            split[kind] += seconds - before.get(pid, (kind, 0.0))[1]
    return split


async def open_page(chromium, url):
    page = await chromium.open()
    await page.send('Page.addScriptToEvaluateOnNewDocument', source=COUNTER)
    await page.navigate(url)
    return page


async def until(page, expression, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if await page.evaluate(expression):
            return
        await asyncio.sleep(0.1)
    raise RuntimeError(f'never: {expression}')


async def quiet(page, seconds=0.5):
    """Waits until the page has not drawn for that long."""
    while True:
        await asyncio.sleep(seconds)
        last = await page.evaluate('window.drawing.frames.at(-1) ?? 0')
        now = await page.evaluate('performance.now()')
        if now - last >= seconds * 1000:
            return


async def measured_run(chromium, page, start):
    """The CPU, the frames drawn and their span, from start() until the page is quiet again."""
    mark = await page.evaluate('window.drawing.frames.length')
    before = cpu_seconds(chromium)
    await start()
    await quiet(page)
    after = cpu_seconds(chromium)
    frames = await page.evaluate(f'window.drawing.frames.slice({mark})')
    await page.close()
    return cpu_between(before, after), len(frames), (frames[-1] - frames[0]) / 1000


async def program_run(chromium, url):
    page = await open_page(chromium, url)
    await until(page, browser.WINDOW_SHOWN + ' && window.drawing.frames.length > 0')
    await quiet(page)
    await page.click(WINDOW[0] + START[0], WINDOW[1] + START[1])
    await quiet(page)

    async def start():
        await page.click(WINDOW[0] + RUN[0], WINDOW[1] + RUN[1])
        await asyncio.sleep(1)
    return await measured_run(chromium, page, start)


async def canvas_run(chromium, url):
    page = await open_page(chromium, url)
    await until(page, 'typeof window.startRun === "function"')
    await quiet(page)

    async def start():
        await page.evaluate('startRun()')
        await until(page, 'window.runResult !== null')
    return await measured_run(chromium, page, start)


async def held_cpu(chromium, url):
    """CPU of the renderer and GPU process over 3 s with the first frame held."""
    page = await open_page(chromium, url)
    await until(page, browser.WINDOW_SHOWN + ' && window.drawing.frames.length > 0')
    await page.click(WINDOW[0] + RUN[0], WINDOW[1] + RUN[1])
    await quiet(page)
    await page.evaluate('window.drawing.stop()')
    before = cpu_seconds(chromium)
    await asyncio.sleep(3)
    split = cpu_between(before, cpu_seconds(chromium))
    await page.close()
    return (split['renderer'] + split['gpu']) / 3


async def cold_start(url):
    """Navigation to the first paint of the window, in a new browser with an empty cache."""
    chromium = browser.Chromium()
    try:
        page = await open_page(chromium, url)
        await until(page, browser.WINDOW_SHOWN + ' && window.drawing.first !== null')
        first = await page.evaluate('window.drawing.first')
        await page.close()
        return first / 1000
    finally:
        chromium.close()


def summary(values):
    return {'median': statistics.median(values), 'min': min(values), 'max': max(values)}


async def measure(site, rounds, baseline):
    bench = os.path.dirname(os.path.abspath(__file__))
    # The canvas page is served from a folder of its own beside a copy of the site.
    folder = tempfile.mkdtemp()
    shutil.copytree(site, os.path.join(folder, 'site'))
    shutil.copy(os.path.join(bench, 'canvas-page.html'), folder)
    server = browser.Server(folder)
    program_url = server.url + 'site/electron-wave.html'
    subjects = [('program', program_run, program_url),
                ('canvas', canvas_run, server.url + 'canvas-page.html')]
    if baseline:
        shutil.copytree(baseline, os.path.join(folder, 'baseline'))
        subjects.append(('baseline', program_run, server.url + 'baseline/electron-wave.html'))
    results = {name: [] for name, _, _ in subjects}
    chromium = browser.Chromium()
    try:
        for round_number in range(rounds):
            for name, run, url in subjects:
                cpu, frames, seconds = await run(chromium, url)
                results[name].append({'cpu': cpu, 'frames': frames, 'seconds': seconds})
                total = sum(cpu.values())
                print(f'round {round_number + 1} {name:8} {total / FRAMES * 1000:6.2f} ms/frame '
                      f'(renderer {cpu["renderer"] / FRAMES * 1000:5.2f}, '
                      f'GPU {cpu["gpu"] / FRAMES * 1000:5.2f})  {frames} frames in '
                      f'{seconds:.2f} s', flush=True)
        held = await held_cpu(chromium, program_url)
    finally:
        chromium.close()
    starts = [await cold_start(program_url) for _ in range(3)]
    server.close()
    shutil.rmtree(folder)

    def per_frame(name, kind=None):
        return [(sum(r['cpu'].values()) if kind is None else r['cpu'][kind]) / FRAMES * 1000
                for r in results[name]]

    def ratios(other):
        return summary([p / o for p, o in zip(per_frame('program'), per_frame(other))])

    with open(os.path.join(site, 'electron-wave.wasm'), 'rb') as file:
        wasm = file.read()
    return {
        'cpu_ms_per_frame': {name: {kind or 'all': summary(per_frame(name, kind))
                                    for kind in (None, 'renderer', 'gpu')}
                             for name in results},
        'program_over_canvas': ratios('canvas'),
        'program_over_baseline': ratios('baseline') if baseline else None,
        'frames_presented': {name: summary([r['frames'] for r in results[name]])
                             for name in results},
        'run_seconds': {name: summary([r['seconds'] for r in results[name]]) for name in results},
        'held_cpu_percent': held * 100,
        'start_to_first_paint_seconds': summary(starts),
        'wasm_bytes': len(wasm),
        'wasm_gzip_9_bytes': len(gzip.compress(wasm, 9)),
    }


def main():
    if not 2 <= len(sys.argv) <= 4:
        sys.exit(__doc__)
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    figures = asyncio.run(measure(sys.argv[1], rounds, os.environ.get('BASELINE_SITE')))
    cpu = figures['cpu_ms_per_frame']
    ratio = figures['program_over_canvas']
    print(f"\nall-in CPU per frame, ms (median, range): program "
          f"{cpu['program']['all']['median']:.2f} ({cpu['program']['all']['min']:.2f}-"
          f"{cpu['program']['all']['max']:.2f}), canvas page {cpu['canvas']['all']['median']:.2f} "
          f"({cpu['canvas']['all']['min']:.2f}-{cpu['canvas']['all']['max']:.2f})")
    for name in ('program', 'canvas'):
        print(f"  {name:8} renderer {cpu[name]['renderer']['median']:.2f}, "
              f"GPU process {cpu[name]['gpu']['median']:.2f}")
    print(f"program / canvas page   {ratio['median']:.2f} ({ratio['min']:.2f}-{ratio['max']:.2f})")
    if figures['program_over_baseline']:
        base = figures['program_over_baseline']
        print(f"program / baseline      {base['median']:.2f} ({base['min']:.2f}-{base['max']:.2f})")
    for name in ('program', 'canvas'):
        print(f"{name:8} presented {figures['frames_presented'][name]['median']:.0f} of {FRAMES}"
              f" frames in {figures['run_seconds'][name]['median']:.2f} s")
    print(f"held frame: {figures['held_cpu_percent']:.1f} % CPU")
    start = figures['start_to_first_paint_seconds']
    print(f"start to first paint, cold: {start['median']:.2f} s ({start['min']:.2f}-"
          f"{start['max']:.2f})")
    print(f"wasm: {figures['wasm_bytes'] / 1e6:.2f} MB, {figures['wasm_gzip_9_bytes'] / 1e6:.2f} MB"
          " under gzip -9")
    if len(sys.argv) > 3:
        with open(sys.argv[3], 'w') as file:
            json.dump(figures, file, indent=2)


if __name__ == '__main__':
    main()
