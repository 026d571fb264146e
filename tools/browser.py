"""Headless Chromium driven through the DevTools protocol, and a web server on 127.0.0.1: what the
browser build's tests and benchmarks share. Needs Debian's chromium, python3-websockets and
python3-pil."""

import asyncio
import base64
import functools
import http.server
import io
import itertools
import json
import os
import shutil
import subprocess
import tempfile
import threading
import time

import websockets
from PIL import Image, ImageChops

# Where the program's page puts the window, and the window's controls, in CSS pixels.
WINDOW = (16, 16, 705, 212)
RUN = (670, 22)
TEXT1 = (666, 69)
START = (644, 102)
CLEAR = (670, 130)
CLOSE = (672, 172)
# True once the page has put its loading message away and shows the window.
WINDOW_SHOWN = "document.getElementById('status').style.display === 'none'"


def same(a, b):
    """Whether two pictures are the same, pixel for pixel."""
    return a.size == b.size and ImageChops.difference(a, b).getbbox() is None


async def clear_wave_num(page):
    """Empties Wave Num, which has the keyboard, of the few characters that the tests leave in
    it; any engine's page."""
    await page.key('End', 'End', 35)
    for _ in range(4):
        await page.key('Backspace', 'Backspace', 8)


class Server:
    """Serves a folder on 127.0.0.1 at a free port, or again at the port of one closed before,
    wasm and the app's manifest with their own types, nothing cached."""

    def __init__(self, folder, port=0):
        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                              '.wasm': 'application/wasm', '.js': 'text/javascript',
                              '.webmanifest': 'application/manifest+json'}

            def end_headers(self):
                self.send_header('Cache-Control', 'no-store')
                super().end_headers()

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(
            ('127.0.0.1', port), functools.partial(Handler, directory=folder))
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        self.port = self.httpd.server_port
        self.url = f'http://127.0.0.1:{self.port}/'

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Page:
    """One tab, spoken to through its DevTools connection."""

    def __init__(self, socket):
        self.socket = socket
        self.ids = itertools.count(1)
        self.waiting = {}
        self.listeners = []
        self.reader = asyncio.get_running_loop().create_task(self._read())

    async def _read(self):
        async for text in self.socket:
            message = json.loads(text)
            if 'id' in message:
                future = self.waiting.pop(message['id'])
                if 'error' in message:
                    future.set_exception(RuntimeError(f"{message['error']}"))
                else:
                    future.set_result(message.get('result', {}))
            else:
                for listener in self.listeners:
                    listener(message['method'], message.get('params', {}))

    async def send(self, method, **params):
        message_id = next(self.ids)
        future = asyncio.get_running_loop().create_future()
        self.waiting[message_id] = future
        await self.socket.send(json.dumps({'id': message_id, 'method': method, 'params': params}))
        return await asyncio.wait_for(future, 60)

    async def evaluate(self, expression):
        result = await self.send('Runtime.evaluate', expression=expression, returnByValue=True,
                                 awaitPromise=True)
        if 'exceptionDetails' in result:
            raise RuntimeError(f'{expression}: {result["exceptionDetails"]}')
        return result['result'].get('value')

    async def navigate(self, url):
        """Opens url and waits until the page has loaded."""
        loaded = asyncio.get_running_loop().create_future()

        def listener(method, _):
            if method == 'Page.loadEventFired' and not loaded.done():
                loaded.set_result(None)
        self.listeners.append(listener)
        await self.send('Page.enable')
        await self.send('Page.navigate', url=url)
        await asyncio.wait_for(loaded, 60)
        self.listeners.remove(listener)

    async def screenshot(self, x, y, width, height):
        """The CSS pixels given, at the page's device pixel ratio."""
        result = await self.send('Page.captureScreenshot', format='png', clip={
            'x': x, 'y': y, 'width': width, 'height': height, 'scale': 1})
        return Image.open(io.BytesIO(base64.b64decode(result['data']))).convert('RGB')

    async def click(self, x, y):
        for kind in ('mouseMoved', 'mousePressed', 'mouseReleased'):
            await self.send('Input.dispatchMouseEvent', type=kind, x=x, y=y, button='left',
                            buttons=0 if kind == 'mouseReleased' else 1, clickCount=1)

    async def tap(self, x, y):
        await self.send('Input.dispatchTouchEvent', type='touchStart',
                        touchPoints=[{'x': x, 'y': y}])
        await self.send('Input.dispatchTouchEvent', type='touchEnd', touchPoints=[])

    async def key(self, key, code, key_code, text='', modifiers=0):
        await self.send('Input.dispatchKeyEvent', type='keyDown', key=key, code=code,
                        windowsVirtualKeyCode=key_code, text=text, modifiers=modifiers)
        await self.send('Input.dispatchKeyEvent', type='keyUp', key=key, code=code,
                        windowsVirtualKeyCode=key_code, modifiers=modifiers)

    async def type(self, text):
        for character in text:
            code = f'Key{character.upper()}' if character.isalpha() else f'Digit{character}'
            await self.key(character, code, ord(character.upper()), text=character)

    async def close(self):
        self.reader.cancel()
        await self.socket.close()


class BrowserProcess:
    """A browser in a process of its own, with a profile folder that goes with it."""

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        shutil.rmtree(self.profile, ignore_errors=True)


class Chromium(BrowserProcess):
    """Debian's chromium, headless, in a profile of its own that is removed afterwards; with
    webgl false, without WebGL, as where the browser blocks the GPU or has none."""

    touch = True

    def __init__(self, width=800, height=400, webgl=True):
        self.name = 'Chromium' if webgl else 'Chromium without WebGL'
        self.profile = tempfile.mkdtemp(prefix='electron-wave-chromium-')
        arguments = ['chromium', '--headless=new', '--remote-debugging-port=0',
                     f'--user-data-dir={self.profile}', f'--window-size={width},{height}',
                     '--no-first-run', '--no-default-browser-check', '--enable-unsafe-swiftshader',
                     '--allow-file-access-from-files', 'about:blank']
        if not webgl:
            arguments[1:1] = ['--disable-webgl', '--disable-3d-apis']
        if os.geteuid() == 0:
            arguments.insert(1, '--no-sandbox')
        self.process = subprocess.Popen(arguments, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        port_file = os.path.join(self.profile, 'DevToolsActivePort')
        for _ in range(300):
            if os.path.exists(port_file) and open(port_file).read().count('\n') >= 1:
                break
            time.sleep(0.1)
        else:
            raise RuntimeError('chromium did not open its DevTools port')
        self.port = int(open(port_file).read().split('\n')[0])

    async def open(self, ratio=1, language='en-GB', touch=False, device=None):
        """A new tab, blank, 800 × 400 at that device pixel ratio, in a browser whose first
        language is language; with touch, a touch screen; with device, the platform and user
        agent of another device."""
        target = json.loads(await asyncio.to_thread(self._get, 'json/new?about:blank', 'PUT'))
        socket = await websockets.connect(target['webSocketDebuggerUrl'], max_size=None)
        page = Page(socket)
        await page.send('Emulation.setDeviceMetricsOverride', width=800, height=400,
                        deviceScaleFactor=ratio, mobile=False)
        agent = {'userAgent': await page.evaluate('navigator.userAgent'), **(device or {})}
        await page.send('Emulation.setUserAgentOverride', acceptLanguage=language, **agent)
        if touch:
            await page.send('Emulation.setTouchEmulationEnabled', enabled=True, maxTouchPoints=5)
        return page

    def _get(self, path, method='GET'):
        import urllib.request
        request = urllib.request.Request(f'http://127.0.0.1:{self.port}/{path}', method=method)
        with urllib.request.urlopen(request) as response:
            return response.read().decode()

    def pids(self):
        """Every process of this browser."""
        out = subprocess.run(['ps', '-o', 'pid=', '-s', str(self.process.pid)],
                             capture_output=True, text=True).stdout
        return [int(pid) for pid in out.split()]
