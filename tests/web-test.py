#!/usr/bin/python3
"""The browser build, driven as a user would: served from 127.0.0.1 and opened from disk, with
the mouse, the keyboard and touch, in headless Chromium (also without WebGL), in WebKitGTK and in
Firefox. In Chromium also in Japanese, with tablets' keyboards and at device pixel ratios 1.25,
1.5 and 2. Its plot is compared pixel for pixel with the Linux program's, photographed under
Xvfb; before that, the pixel end points of whole runs, computed by the browser build's code under
Node.js, with the Linux build's.
    web-test.py SITE-FOLDER OFFLINE-PAGE LINUX-BUILD WEB-BUILD"""

import asyncio
import io
import json
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tools'))
import browser  # noqa: E402
import firefox  # noqa: E402
import webkit  # noqa: E402
import web_accessibility  # noqa: E402

from browser import CLEAR, CLOSE, RUN, START, TEXT1, WINDOW, clear_wave_num, same  # noqa: E402
# The plot's inside, where only the traces and the baseline differ from white.
PLOT = (5, 5, 636, 204)
WHITE = (255, 255, 255)
PATIENCE = 30
# Device pixel ratios at which the plot is compared with the Linux program's at that scale.
RATIOS = (1, 1.25, 1.5, 2)

passes = []
failures = []


def check(ok, what):
    print(('ok   ' if ok else 'FAIL ') + what, flush=True)
    (passes if ok else failures).append(what)


def plot_box(ratio):
    """The device pixels wholly inside the plot, in the window's."""
    return (math.ceil(PLOT[0] * ratio), math.ceil(PLOT[1] * ratio), math.floor(PLOT[2] * ratio),
            math.floor(PLOT[3] * ratio))


def white(image):
    return image.getcolors(1) == [(image.width * image.height, WHITE)]


def linux_plots(program, scale):
    """The Linux program's plot with the first frame held after RUN, and after the run."""
    # Xvfb picks a free display and writes its number once it takes connections.
    ready, told = os.pipe()
    xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(told), '-screen', '0', '1600x600x24',
                             '-nolisten', 'tcp'], pass_fds=[told], stderr=subprocess.DEVNULL)
    os.close(told)
    with os.fdopen(ready) as number:
        display = ':' + number.readline().strip()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM='xcb', QT_SCALE_FACTOR=str(scale),
               LANG='C.UTF-8', LANGUAGE='en')
    try:
        program_process = subprocess.Popen([program], env=env)
        window = subprocess.run(['xdotool', 'search', '--sync', '--onlyvisible', '--pid',
                                 str(program_process.pid)], env=env, capture_output=True,
                                text=True).stdout.split()[0]

        def click(x, y):
            subprocess.run(['xdotool', 'mousemove', '--window', window, str(round(x * scale)),
                            str(round(y * scale)), 'click', '1'], env=env, check=True)

        def shot():
            png = subprocess.run(['import', '-window', window, 'png:-'], env=env, check=True,
                                 capture_output=True).stdout
            return Image.open(io.BytesIO(png)).convert('RGB').crop(plot_box(scale))

        def settled():
            # The same picture twice, half a second apart.
            last = shot()
            for _ in range(PATIENCE * 2):
                time.sleep(0.5)
                now = shot()
                if same(now, last):
                    return now
                last = now
            raise RuntimeError('the Linux program did not settle')

        time.sleep(0.5)
        click(*RUN)
        first = settled()
        click(*START)
        end = settled()
        click(*CLOSE)
        program_process.wait(10)
        return first, end
    finally:
        xvfb.terminate()
        xvfb.wait()


class Program:
    """The program in a tab of one engine."""

    def __init__(self, page, ratio, engine):
        self.page = page
        self.ratio = ratio
        self.engine = engine

    async def plot(self):
        return (await self.window()).crop(plot_box(self.ratio))

    async def window(self):
        return await self.page.screenshot(*WINDOW)

    async def click(self, point):
        await self.page.click(WINDOW[0] + point[0], WINDOW[1] + point[1])

    async def tap(self, point):
        await self.page.tap(WINDOW[0] + point[0], WINDOW[1] + point[1])

    def check(self, ok, what):
        check(ok, f'{self.engine}: {what}')

    async def until(self, condition, what):
        """Waits until condition (an async function) holds, then reports it."""
        deadline = time.monotonic() + PATIENCE
        while time.monotonic() < deadline:
            if await condition():
                self.check(True, what)
                return True
            await asyncio.sleep(0.2)
        self.check(False, what)
        return False

    async def plot_is(self, expected, what, steady=False):
        """Waits for the plot to be expected; steady, for it to stay so for half a second, as the
        end of a nested run shows the baseline alone for a moment before the outer run goes on."""
        async def matches():
            if not same(await self.plot(), expected):
                return False
            if steady:
                await asyncio.sleep(0.5)
                return same(await self.plot(), expected)
            return True
        return await self.until(matches, what)

    async def started(self):
        async def shown():
            return await self.page.evaluate(browser.WINDOW_SHOWN)
        await self.until(shown, 'the window is shown')
        # Its first paint: the plot white, the rest of the window not.
        async def painted():
            return white(await self.plot()) and not white(await self.window())
        await self.until(painted, 'the window is painted')

    async def status(self):
        return await self.page.evaluate(
            "document.getElementById('status').style.display !== 'none' && "
            "!document.getElementById('again').hidden && "
            "document.getElementById('message').textContent")


# Tablets' browsers, in which Qt opens an input of the page's own for the on-screen keyboard. An
# iPad's says it is a Mac.
ANDROID = {'userAgent': 'Mozilla/5.0 (Linux; Android 13; SM-X200) AppleWebKit/537.36 (KHTML, like '
                        'Gecko) Chrome/120.0.0.0 Safari/537.36', 'platform': 'Linux armv8l'}
IPAD = {'platform': 'MacIntel'}
# The element that has the keyboard, inside Qt's shadow root where it is there.
FOCUSED_TAG = """(() => {
  let element = document.activeElement;
  while (element.shadowRoot && element.shadowRoot.activeElement)
    element = element.shadowRoot.activeElement;
  return element.tagName;
})()"""
HAS_WEBGL = "!!document.createElement('canvas').getContext('webgl')"


async def open_program(engine, url, ratio=1, **options):
    page = await engine.open(ratio=ratio, **options)
    await page.navigate(url)
    program = Program(page, ratio, engine.name)
    await program.started()
    return program


def covered(plot, colours):
    """Whether something other than the plot, a message, covers much of it."""
    return sum(n for n, colour in plot.getcolors(plot.width * plot.height)
               if colour not in colours) > plot.width * plot.height // 10


async def refused(program, language, colours, tap=False, keys=True):
    """Types abc into Wave Num, with key presses or (keys false) as an on-screen keyboard does,
    and presses RUN: a message over the plot says no, and goes with Enter. Returns the window
    with the message."""
    if tap:
        await program.tap(TEXT1)
        program.check(await program.page.evaluate(FOCUSED_TAG) == 'INPUT',
                      'a tap on Wave Num opens an input, where the browser shows its keyboard')
    else:
        await program.click(TEXT1)
    await clear_wave_num(program.page)
    if keys:
        await program.page.type('abc')
    else:
        # Into the input, without key presses.
        await program.page.send('Input.insertText', text='abc')
    await (program.tap if tap else program.click)(RUN)

    async def message():
        return covered(await program.plot(), colours)
    await program.until(message, f'abc is refused with a message ({language})')
    shot = await program.window()
    await program.page.key('Enter', 'Enter', 13, text='\r')

    async def gone():
        return not covered(await program.plot(), colours)
    await program.until(gone, 'Enter closes the message')
    return shot


def same_endpoints(linux_build, web_build):
    # Node.js's own fetch cannot read a file: the wasm is handed over read.
    run_module = ('const fs = require("fs"), path = require("path");'
                  'const js = path.resolve(process.argv[1]);'
                  'require(js)({arguments: process.argv.slice(2),'
                  '             wasmBinary: fs.readFileSync(js.replace(/js$/, "wasm"))});')
    with tempfile.TemporaryDirectory() as folder:
        points = os.path.join(folder, 'web.bin')
        subprocess.run(['/usr/bin/node', '-e', run_module,
                        os.path.join(web_build, 'frame_endpoints.js'), 'write', points],
                       check=True)
        compared = subprocess.run([os.path.join(linux_build, 'tests', 'frame_endpoints'),
                                   'compare', points], capture_output=True, text=True)
    check(compared.returncode == 0, 'the pixel end points of whole runs are the Linux build\'s: '
          + compared.stdout.strip() + compared.stderr.strip())


async def everyday_use(engine, url, offline, linux):
    """What a class does with the program, in any engine: runs, holds, clears and ends it, is
    refused a wave number, taps where the engine can, and opens the page from disk."""
    first, end, colours = linux[1][0], linux[1][1], linux['colours']
    program = await open_program(engine, url)
    title = await program.page.evaluate('document.title')
    program.check(title == '電子波自己干渉', 'the page has the program\'s title')
    await program.click(RUN)
    await program.plot_is(first, 'RUN: the first frame held is the Linux program\'s')
    await program.click(RUN)
    await program.plot_is(first, 'a nested RUN holds its own first frame')
    await program.click(START)
    await program.plot_is(end, 'START unchecked: both runs end, with only the baseline',
                          steady=True)
    await program.click(START)
    await program.click(RUN)
    await program.plot_is(first, 'RUN again')
    await program.click(CLEAR)

    async def cleared():
        return white(await program.plot())
    await program.until(cleared, 'CLEAR during a run wipes the plot')
    await program.click(START)

    async def drawing():
        return not white(await program.plot())
    await program.until(drawing, 'the run goes on')
    await program.until(cleared, 'and ends without a baseline')
    english = await refused(program, 'English', colours)
    await program.click(CLOSE)

    async def ended():
        return bool(await program.status())
    await program.until(ended, 'CLOSE ends the program, and the page says so')
    await program.page.close()

    if engine.touch:
        program = await open_program(engine, url, touch=True)
        await program.tap(RUN)
        await program.plot_is(first, 'RUN by touch')
        await program.tap(START)
        await program.plot_is(end, 'START by touch')
        await program.tap(CLEAR)
        await program.until(cleared, 'CLEAR by touch')
        await program.tap(CLOSE)
        await program.until(ended, 'CLOSE by touch')
        await program.page.close()

    # The focus starts on RUN, and Tab goes on to Wave Num, the plot and START.
    program = await open_program(engine, 'file://' + os.path.abspath(offline))
    await program.page.key(' ', 'Space', 32, text=' ')
    await program.plot_is(first, 'the offline page from file://, RUN by the keyboard')
    for _ in range(3):
        await program.page.key('Tab', 'Tab', 9)
    await program.page.key(' ', 'Space', 32, text=' ')
    await program.plot_is(end, 'Tab to START, and Space unchecks it')
    await program.page.close()
    return english


async def chromium_only(engine, url, linux, english):
    """What only Chromium's DevTools can imitate: a browser in Japanese, tablets' keyboards, and
    device pixel ratios."""
    colours = linux['colours']
    program = await open_program(engine, url, language='ja-JP')
    japanese = await refused(program, 'Japanese', colours)
    # Lines of other glyphs, not a pixel or two of the window drawn otherwise.
    differing = ImageChops.difference(english, japanese).convert('L').point(bool).histogram()[1]
    program.check(differing > 1000, 'the message is in Japanese where the browser is')
    await program.page.close()

    program = await open_program(engine, url, touch=True, device=ANDROID)
    await refused(program, 'an Android tablet\'s keyboard after a tap', colours, tap=True,
                  keys=False)
    await program.page.close()

    program = await open_program(engine, url, touch=True, device=IPAD)
    await refused(program, 'an iPad\'s keyboard after a tap', colours, tap=True)
    await program.page.close()

    for ratio in RATIOS[1:]:
        program = await open_program(engine, url, ratio=ratio)
        await program.click(RUN)
        await program.plot_is(linux[ratio][0], f'at a device pixel ratio of {ratio}, the Linux '
                              f'program\'s at {ratio}')
        await program.page.close()


WEB_PACKAGING = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'packaging', 'web')
CACHES = "caches.keys().then((names) => JSON.stringify(names))"


async def installed_app(engine, site, linux):
    """The page as an installable app that keeps itself: served from a copy of the site that is
    rebuilt in between, as a school's server would be updated."""
    first = linux[1][0]
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, 'site')
        shutil.copytree(site, copy)
        server = browser.Server(copy)
        url = server.url + 'electron-wave.html'
        try:
            program = await open_program(engine, url)
            page = program.page
            errors = (await page.send('Page.getInstallabilityErrors'))['installabilityErrors']
            program.check(errors == [], f'the browser can install the page as an app: {errors}')

            async def controlled():
                return await page.evaluate('!!navigator.serviceWorker.controller')
            await program.until(controlled, 'its service worker takes control of it')

            server.close()
            await page.send('Network.enable')
            await page.send('Network.setCacheDisabled', cacheDisabled=True)
            await page.navigate(url)
            await program.started()
            await program.click(RUN)
            await program.plot_is(first, 'with the server stopped and no HTTP cache, the page '
                                  'opens and RUN draws the first frame')

            # A new build: one file changed, and the worker made again for it.
            marker = '<!-- a later build -->'
            page_file = os.path.join(copy, 'electron-wave.html')
            with open(page_file, encoding='utf-8') as file:
                text = file.read()
            with open(page_file, 'w', encoding='utf-8') as file:
                file.write(text.replace('</body>', marker + '</body>'))
            with open(os.path.join(copy, 'service-worker.js'), encoding='utf-8') as file:
                app_files = json.loads(re.search(r'const FILES = (\[.*\]);', file.read())[1])
            subprocess.run(['/usr/bin/python3', os.path.join(WEB_PACKAGING, 'service-worker.py'),
                            os.path.join(WEB_PACKAGING, 'service-worker.js'), copy, *app_files],
                           check=True)
            old_caches = json.loads(await page.evaluate(CACHES))
            server = browser.Server(copy, server.port)
            await page.navigate(url)
            program.check(marker in await page.evaluate('document.documentElement.outerHTML'),
                          'after a rebuild, the next visit with the server running gets the new '
                          'file')

            async def replaced():
                await page.evaluate('navigator.serviceWorker.getRegistration()'
                                    '.then((registration) => registration.update())')
                caches = json.loads(await page.evaluate(CACHES))
                return len(caches) == 1 and caches != old_caches
            await program.until(replaced, 'the new build\'s worker keeps it in a cache of its '
                                'own, and the old cache is gone')
            await page.close()
        finally:
            server.close()


async def run(site, offline, linux_build, web_build):
    same_endpoints(linux_build, web_build)
    linux_program = os.path.join(linux_build, 'app', 'electron-wave')
    linux = {ratio: linux_plots(linux_program, ratio) for ratio in RATIOS}
    linux['colours'] = {colour for _, colour in linux[1][0].getcolors()}
    server = browser.Server(site)
    url = server.url + 'electron-wave.html'
    try:
        with browser.Chromium() as chromium:
            english = await everyday_use(chromium, url, offline, linux)
            await chromium_only(chromium, url, linux, english)
            await installed_app(chromium, site, linux)
        # Where the browser blocks the GPU or has none, the page runs all the same.
        with browser.Chromium(webgl=False) as chromium:
            page = await chromium.open()
            check(not await page.evaluate(HAS_WEBGL), 'Chromium without WebGL: it has none')
            await page.close()
            await everyday_use(chromium, url, offline, linux)
        with webkit.WebKit() as engine:
            await everyday_use(engine, url, offline, linux)
        with firefox.Firefox() as engine:
            page = await engine.open()
            check(not await page.evaluate(HAS_WEBGL), 'Firefox: headless, it has no WebGL')
            await page.close()
            await everyday_use(engine, url, offline, linux)
        # Screen readers, tablets' on-screen keyboards and Japanese input methods.
        await web_accessibility.run(url, linux[1], open_program)
    finally:
        server.close()


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    asyncio.run(run(*sys.argv[1:]))
    print(f'web-test: {len(passes)} passed, {len(failures)} failed')
    if failures:
        sys.exit('failed: ' + '; '.join(failures))


if __name__ == '__main__':
    main()
