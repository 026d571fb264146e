"""WebKitGTK, the engine of Safari: Debian's MiniBrowser in automation mode, in an Xvfb display of
its own, driven through WebKitWebDriver, with pages that take the same calls as a Chromium tab in
browser.py. Needs Debian's webkit2gtk-driver, python3-selenium, xvfb and python3-pil; WebGL also
libgl1-mesa-dri, and each language but en-US its locale (locales, /etc/locale.gen)."""

import asyncio
import glob
import io
import os
import signal
import subprocess
import tempfile
import time

from PIL import Image
from selenium import webdriver
from selenium.common.exceptions import JavascriptException
from selenium.webdriver.common import utils
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.keys import Keys

import browser

# WebDriver's code points for the keys that type no character.
KEYS = {'Backspace': Keys.BACKSPACE, 'Tab': Keys.TAB, 'Enter': Keys.ENTER, 'Escape': Keys.ESCAPE,
        'End': Keys.END, 'Home': Keys.HOME, 'Delete': Keys.DELETE, 'ArrowLeft': Keys.LEFT,
        'ArrowRight': Keys.RIGHT, 'ArrowUp': Keys.UP, 'ArrowDown': Keys.DOWN}
# The modifiers' bits as DevTools numbers them, and their keys.
MODIFIERS = {1: Keys.ALT, 2: Keys.CONTROL, 4: Keys.META, 8: Keys.SHIFT}


class Page:
    """One MiniBrowser window and the WebKitWebDriver that drives it. Selenium's calls block, so
    each runs in a thread."""

    def __init__(self, owner, driver, process, ratio):
        self.owner = owner
        self.driver = driver
        self.process = process
        self.ratio = ratio

    async def navigate(self, url):
        """Opens url and waits until the page has loaded."""
        await asyncio.to_thread(self.driver.get, url)

    async def evaluate(self, expression):
        # Global eval takes statements too, as DevTools does; WebDriver awaits a promise returned.
        try:
            return await asyncio.to_thread(self.driver.execute_script,
                                           'return (0, eval)(arguments[0]);', expression)
        except JavascriptException as error:
            raise RuntimeError(f'{expression}: {error.msg}') from None

    async def screenshot(self, x, y, width, height):
        """The CSS pixels given, at the page's device pixel ratio, cut from the whole viewport."""
        png = await asyncio.to_thread(self.driver.get_screenshot_as_png)
        box = [round(value * self.ratio) for value in (x, y, x + width, y + height)]
        return Image.open(io.BytesIO(png)).convert('RGB').crop(box)

    def _click(self, x, y):
        actions = ActionBuilder(self.driver, duration=0)
        actions.pointer_action.move_to_location(round(x), round(y)).pointer_down().pointer_up()
        actions.perform()

    async def click(self, x, y):
        await asyncio.to_thread(self._click, x, y)

    async def tap(self, x, y):
        raise NotImplementedError('WebKitWebDriver on GTK has no touch input')

    def _keys(self, pressed, modifiers):
        held = [key for bit, key in MODIFIERS.items() if modifiers & bit]
        actions = ActionChains(self.driver, duration=0)
        for key in held:
            actions.key_down(key)
        for key in pressed:
            actions.key_down(key).key_up(key)
        for key in reversed(held):
            actions.key_up(key)
        actions.perform()

    async def key(self, key, code=None, key_code=None, text='', modifiers=0):
        """Presses key, with the modifiers' bits as DevTools numbers them; WebDriver derives the
        code, key code and text from the key."""
        del code, key_code, text
        await asyncio.to_thread(self._keys, [KEYS.get(key, key)], modifiers)

    async def type(self, text):
        await asyncio.to_thread(self._keys, list(text), 0)

    def end(self):
        if self in self.owner.pages:
            self.owner.pages.remove(self)
            try:
                self.driver.quit()
            finally:
                # Whatever of the browser outlives the session goes with the driver's group.
                self.process.terminate()
                self.process.wait(10)
                try:
                    os.killpg(self.process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass

    async def close(self):
        await asyncio.to_thread(self.end)


class WebKit(browser.BrowserProcess):
    """An Xvfb display with a home folder for the browsers in it, which goes with it; a new
    MiniBrowser for each page, as its language and ratio are the process's."""

    name = 'WebKitGTK'
    touch = False

    def __init__(self, width=800, height=400):
        self.width, self.height = width, height
        self.pages = []
        self.profile = tempfile.mkdtemp(prefix='electron-wave-webkit-')
        # Room for the window at a ratio of 2; Xvfb writes its display number once it is ready.
        ready, told = os.pipe()
        self.process = subprocess.Popen(
            ['Xvfb', '-displayfd', str(told), '-screen', '0', f'{2 * width}x{2 * height + 200}x24',
             '-nolisten', 'tcp'], pass_fds=[told], stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(told)
        with os.fdopen(ready) as number:
            self.display = ':' + number.readline().strip()
        if self.display == ':':
            raise RuntimeError('Xvfb did not start')

    def close(self):
        for page in list(self.pages):
            page.end()
        super().close()

    async def open(self, ratio=1, language='en-US', touch=False):
        """A new browser showing a blank page, 800 × 400 at that device pixel ratio, a whole
        number as GTK 3 scales by no other, whose first language is language."""
        if touch:
            raise NotImplementedError('WebKitWebDriver on GTK has no touch input')
        if ratio != int(ratio):
            raise NotImplementedError(f'GTK 3 cannot scale by {ratio}')
        return await asyncio.to_thread(self._start, int(ratio), language)

    def _start(self, ratio, language):
        # WebKitGTK takes its languages from the C library's locale, never from LANGUAGE: a locale
        # that is not installed leaves it at en-US.
        environment = {name: value for name, value in os.environ.items()
                       if not name.startswith(('XDG_', 'GDK_', 'LC_'))}
        environment.update(DISPLAY=self.display, GDK_BACKEND='x11', GDK_SCALE=str(ratio),
                           HOME=self.profile, LC_ALL=language.replace('-', '_') + '.UTF-8',
                           NO_AT_BRIDGE='1')
        port = utils.free_port()
        process = subprocess.Popen(['WebKitWebDriver', f'--port={port}'], env=environment,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   start_new_session=True)
        for _ in range(200):
            if process.poll() is not None or utils.is_connectable(port):
                break
            time.sleep(0.05)
        options = webdriver.WebKitGTKOptions()
        options.binary_location = glob.glob('/usr/lib/*/webkit2gtk-4.1/MiniBrowser')[0]
        options.add_argument('--automation')
        try:
            driver = webdriver.Remote(f'http://127.0.0.1:{port}', options=options)
        except Exception:
            process.kill()
            raise
        page = Page(self, driver, process, ratio)
        self.pages.append(page)
        try:
            # The window's size less the toolbar's is the viewport's, once the page has it.
            driver.set_window_rect(0, 0, self.width, self.height)
            bar = self.height - self._viewport(driver, lambda size: size[0] == self.width)[1]
            driver.set_window_rect(0, 0, self.width, self.height + bar)
            self._viewport(driver, lambda size: size[1] == self.height)
            found = driver.execute_script(
                'return [innerWidth, innerHeight, devicePixelRatio, navigator.languages[0]]')
            if found != [self.width, self.height, ratio, language]:
                raise RuntimeError(f'WebKitGTK gave {found} for {self.width} × {self.height} at '
                                   f'{ratio} in {language}')
        except Exception:
            page.end()
            raise
        return page

    @staticmethod
    def _viewport(driver, ready):
        # The page learns of the window's new size a little after WebDriver has set it.
        for _ in range(100):
            size = driver.execute_script('return [innerWidth, innerHeight]')
            if ready(size):
                break
            time.sleep(0.02)
        return size
