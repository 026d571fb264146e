"""WebKitGTK, the engine of Safari, driven through WebKitWebDriver: its MiniBrowser in automation
mode, in an X display of its own, with pages that take the same calls as a Chromium tab in
browser.py. Needs Debian's webkit2gtk-driver, python3-selenium, xvfb and python3-pil."""

import asyncio
import io
import os
import socket
import subprocess
import time

from PIL import Image
from selenium import webdriver
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.keys import Keys

MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser'
KEYS = {'Backspace': Keys.BACKSPACE, 'Tab': Keys.TAB, 'Enter': Keys.ENTER, 'End': Keys.END,
        'Home': Keys.HOME, 'Escape': Keys.ESCAPE}


class Page:
    """The browser's one window; selenium's calls block, so each runs in a thread."""

    def __init__(self, driver, driver_process):
        self.driver = driver
        self.driver_process = driver_process

    async def _call(self, function, *arguments):
        return await asyncio.to_thread(function, *arguments)

    async def navigate(self, url):
        await self._call(self.driver.get, url)

    async def evaluate(self, expression):
        return await self._call(self.driver.execute_script, f'return ({expression});')

    async def screenshot(self, x, y, width, height):
        """The CSS pixels given, at the page's device pixel ratio."""
        png = await self._call(self.driver.get_screenshot_as_png)
        image = Image.open(io.BytesIO(png)).convert('RGB')
        ratio = await self.evaluate('window.devicePixelRatio')
        return image.crop((round(x * ratio), round(y * ratio), round((x + width) * ratio),
                           round((y + height) * ratio)))

    def _click(self, x, y):
        actions = ActionBuilder(self.driver)
        actions.pointer_action.move_to_location(round(x), round(y)).pointer_down().pointer_up()
        actions.perform()

    async def click(self, x, y):
        await self._call(self._click, x, y)

    async def tap(self, x, y):
        raise NotImplementedError('WebKitWebDriver has no touch input')

    async def key(self, key, code=None, key_code=None, text='', modifiers=0):
        del code, key_code, text, modifiers  # WebDriver derives them from the key
        pressed = KEYS.get(key, key)
        await self._call(lambda: ActionChains(self.driver).key_down(pressed).key_up(pressed)
                         .perform())

    async def type(self, text):
        for character in text:
            await self.key(character)

    async def close(self):
        await self._call(self.driver.quit)
        self.driver_process.terminate()
        self.driver_process.wait()


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


class WebKit:
    """MiniBrowser in an Xvfb display of its own, one browser for each page opened, as
    WebKitWebDriver drives one window at a time."""

    name = 'WebKitGTK'
    touch = False

    def __init__(self):
        ready, told = os.pipe()
        self.xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(told), '-screen', '0',
                                      '1280x800x24', '-nolisten', 'tcp'], pass_fds=[told],
                                     stderr=subprocess.DEVNULL)
        os.close(told)
        with os.fdopen(ready) as number:
            self.display = ':' + number.readline().strip()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def _start(self):
        environment = dict(os.environ, DISPLAY=self.display)
        port = free_port()
        driver_process = subprocess.Popen(['WebKitWebDriver', f'--port={port}'], env=environment,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        options = webdriver.WebKitGTKOptions()
        options.binary_location = MINIBROWSER
        options.add_argument('--automation')
        for _ in range(100):
            try:
                driver = webdriver.Remote(f'http://127.0.0.1:{port}', options=options)
                break
            except Exception:  # not listening yet
                time.sleep(0.1)
        else:
            driver_process.kill()
            raise RuntimeError('WebKitWebDriver did not start')
        # A viewport of at least 800 × 400 CSS pixels, below the browser's own bars.
        driver.set_window_rect(0, 0, 1000, 600)
        return Page(driver, driver_process)

    async def open(self, ratio=1, touch=False):
        """A new browser showing a blank page, at the screen's ratio of 1."""
        if ratio != 1 or touch:
            raise NotImplementedError('WebKitGTK here has neither another ratio nor touch')
        return await asyncio.to_thread(self._start)

    def close(self):
        self.xvfb.terminate()
        self.xvfb.wait()
