"""Headless Firefox ESR driven through WebDriver BiDi: pages with the same calls as a Chromium
tab in browser.py. Needs Debian's firefox-esr, python3-websockets and python3-pil."""

import asyncio
import base64
import io
import itertools
import json
import os
import re
import subprocess
import tempfile
import threading

import websockets
from PIL import Image

import browser

# WebDriver's code points for the keys that type no character.
KEYS = {'Backspace': '\ue003', 'Tab': '\ue004', 'Enter': '\ue007', 'End': '\ue010',
        'Home': '\ue011', 'Escape': '\ue00c'}


def value(remote):
    """A script's result, as BiDi serialises it, as Python's."""
    kind = remote['type']
    if kind in ('undefined', 'null'):
        return None
    if kind == 'array':
        return [value(item) for item in remote['value']]
    if kind == 'object':
        return {value(key) if isinstance(key, dict) else key: value(item)
                for key, item in remote['value']}
    return remote.get('value')


class Page:
    """One tab, a browsing context of the session."""

    def __init__(self, firefox, context):
        self.firefox = firefox
        self.context = context

    async def send(self, method, **params):
        return await self.firefox.send(method, context=self.context, **params)

    async def navigate(self, url):
        await self.send('browsingContext.navigate', url=url, wait='complete')

    async def evaluate(self, expression):
        result = await self.firefox.send('script.evaluate', expression=expression,
                                         target={'context': self.context}, awaitPromise=True,
                                         resultOwnership='none')
        if result['type'] == 'exception':
            raise RuntimeError(f'{expression}: {result["exceptionDetails"]["text"]}')
        return value(result['result'])

    async def screenshot(self, x, y, width, height):
        """The CSS pixels given, at the page's device pixel ratio."""
        result = await self.send('browsingContext.captureScreenshot', origin='viewport',
                                 clip={'type': 'box', 'x': x, 'y': y, 'width': width,
                                       'height': height})
        return Image.open(io.BytesIO(base64.b64decode(result['data']))).convert('RGB')

    async def _pointer(self, kind, x, y):
        await self.send('input.performActions', actions=[{
            'type': 'pointer', 'id': kind, 'parameters': {'pointerType': kind},
            'actions': [{'type': 'pointerMove', 'x': round(x), 'y': round(y)},
                        {'type': 'pointerDown', 'button': 0},
                        {'type': 'pointerUp', 'button': 0}]}])
        await self.send('input.releaseActions')

    async def click(self, x, y):
        await self._pointer('mouse', x, y)

    async def tap(self, x, y):
        await self._pointer('touch', x, y)

    async def key(self, key, code=None, key_code=None, text='', modifiers=0):
        del code, key_code, text, modifiers  # WebDriver derives them from the key
        pressed = KEYS.get(key, key)
        await self.send('input.performActions', actions=[{
            'type': 'key', 'id': 'keyboard',
            'actions': [{'type': 'keyDown', 'value': pressed},
                        {'type': 'keyUp', 'value': pressed}]}])

    async def type(self, text):
        for character in text:
            await self.key(character)

    async def close(self):
        await self.send('browsingContext.close')


class Firefox(browser.BrowserProcess):
    """Debian's firefox-esr, headless, in a profile of its own that is removed afterwards, whose
    first language is language; with webgl false, without WebGL."""

    touch = True

    def __init__(self, language='en-GB', webgl=True):
        self.name = 'Firefox' if webgl else 'Firefox without WebGL'
        self.language = language
        self.profile = tempfile.mkdtemp(prefix='electron-wave-firefox-')
        preferences = {
            'intl.accept_languages': language, 'webgl.disabled': not webgl,
            # No connection anywhere but to the page: this machine reaches nothing else.
            'app.update.disabledForTesting': True, 'network.captive-portal-service.enabled': False,
            'network.connectivity-service.enabled': False, 'browser.safebrowsing.malware.enabled':
            False, 'browser.safebrowsing.phishing.enabled': False,
            'datareporting.policy.dataSubmissionEnabled': False,
            'toolkit.telemetry.reportingpolicy.firstRun': False,
            'browser.shell.checkDefaultBrowser': False, 'extensions.update.enabled': False,
            'browser.newtabpage.enabled': False, 'browser.startup.page': 0,
        }
        with open(os.path.join(self.profile, 'user.js'), 'w') as file:
            for name, setting in preferences.items():
                file.write(f'user_pref({json.dumps(name)}, {json.dumps(setting)});\n')
        self.process = subprocess.Popen(
            ['firefox-esr', '--headless', '--no-remote', '--profile', self.profile,
             '--remote-debugging-port', '0', 'about:blank'],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, start_new_session=True,
            env=dict(os.environ, MOZ_CRASHREPORTER_DISABLE='1'))
        for line in self.process.stderr:
            found = re.search(r'WebDriver BiDi listening on (ws://\S+)', line)
            if found:
                self.address = found.group(1)
                break
        else:
            raise RuntimeError('firefox did not open its WebDriver BiDi port')
        # Firefox goes on writing to its stderr; unread, the pipe would fill and stop it.
        threading.Thread(target=self.process.stderr.read, daemon=True).start()
        self.socket = None
        self.ids = itertools.count(1)
        self.waiting = {}

    async def _read(self):
        try:
            async for text in self.socket:
                message = json.loads(text)
                future = self.waiting.pop(message.get('id'), None)
                if future is None:
                    continue
                if message.get('type') == 'error':
                    future.set_exception(
                        RuntimeError(f"{message['error']}: {message['message']}"))
                else:
                    future.set_result(message['result'])
        except websockets.ConnectionClosed:
            pass  # the browser has ended, as it does when the tests are done with it

    async def send(self, method, **params):
        message_id = next(self.ids)
        future = asyncio.get_running_loop().create_future()
        self.waiting[message_id] = future
        await self.socket.send(json.dumps({'id': message_id, 'method': method, 'params': params}))
        return await asyncio.wait_for(future, 60)

    async def open(self, ratio=1, language=None, touch=False):
        """A new tab, 800 × 400 at that device pixel ratio. The language is the browser's."""
        del touch  # every tab takes touches
        if language not in (None, self.language):
            raise ValueError(f'this Firefox speaks {self.language}')
        if self.socket is None:
            self.socket = await websockets.connect(self.address + '/session', max_size=None)
            self.reader = asyncio.get_running_loop().create_task(self._read())
            await self.send('session.new', capabilities={})
        context = (await self.send('browsingContext.create', type='tab'))['context']
        page = Page(self, context)
        await page.send('browsingContext.setViewport',
                        viewport={'width': 800, 'height': 400}, devicePixelRatio=ratio)
        return page
