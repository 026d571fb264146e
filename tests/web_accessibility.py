"""The browser build as screen readers, tablets' on-screen keyboards and Japanese input methods
meet it. In Chromium: the page's accessibility tree, in English and in Japanese; taps on Wave Num
as on a Chromebook, an iPad and an Android tablet; full-width digits composed into Wave Num. In
WebKitGTK and Firefox: the page's elements behind that tree, as far as their drivers show them.
web-test.py runs it with its own way of opening the program."""

import asyncio
import time

from PIL import Image

import browser
import firefox
import webkit
from browser import RUN, START, TEXT1, WINDOW, clear_wave_num, same

# The name of the plot, in each language of the program, and a character of the language.
PLOT = {'en-GB': 'Wave plot', 'ja-JP': '波形グラフ'}
JAPANESE = range(0x3000, 0xA000)
# The controls in the order in which Tab visits them, with the label before the field it names.
CONTROLS = [('button', 'RUN'), ('StaticText', 'Wave Num'), ('textbox', 'Wave Num'),
            ('image', None), ('checkbox', 'START'), ('button', 'CLEAR'), ('button', 'CLOSE')]
TITLE = '電子波自己干渉'
# Wave Num, in the page; the plot's inside, white before anything is drawn.
FIELD = (WINDOW[0] + 652, WINDOW[1] + 60, 29, 18)
WHITE_PLOT = Image.new('RGB', (631, 199), (255, 255, 255))
PATIENCE = 30
# The element with the keyboard, inside Qt's shadow root: its tag, type, name and value.
FOCUSED = """(() => {
  let element = document.activeElement;
  while (element.shadowRoot && element.shadowRoot.activeElement)
    element = element.shadowRoot.activeElement;
  return [element.tagName, element.type || '', element.getAttribute('aria-label') || '',
          element.value || ''];
})()"""
# The element named so inside Qt's shadow root; %s its name, then what to do with it.
NAMED = ("document.getElementById('qt-shadow-container').shadowRoot"
         ".querySelector('[aria-label=\"%s\"]')")
# The message that refuses a wave number, with its text and whether it holds the focus.
REFUSAL = """(() => {
  const root = document.getElementById('qt-shadow-container').shadowRoot;
  const message = root.querySelector('[role=alertdialog]');
  return message && [message.getAttribute('aria-description'),
                     message.contains(root.activeElement)];
})()"""
# Tablets' browsers, by their user agents; an iPad's says it is a Mac.
TABLETS = {
    'a Chromebook in tablet mode': {
        'userAgent': 'Mozilla/5.0 (X11; CrOS x86_64 14541.0.0) AppleWebKit/537.36 (KHTML, like '
                     'Gecko) Chrome/120.0.0.0 Safari/537.36', 'platform': 'Linux x86_64'},
    'an iPad': {
        'userAgent': 'Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 '
                     '(KHTML, like Gecko) Version/17.0 Safari/605.1.15', 'platform': 'MacIntel'},
    'an Android tablet': {
        'userAgent': 'Mozilla/5.0 (Linux; Android 13; SM-X200) AppleWebKit/537.36 (KHTML, like '
                     'Gecko) Chrome/120.0.0.0 Safari/537.36', 'platform': 'Linux armv8l'},
}


async def window_tree(page):
    """The window's node of Chromium's accessibility tree and the page's, with the nodes that are
    not ignored under them, each a dict of its role, name, value, description, states and
    children."""
    await page.send('Accessibility.enable')
    nodes = {node['nodeId']: node for node in
             (await page.send('Accessibility.getFullAXTree'))['nodes']}

    def shown(node):
        # Ignored nodes stand aside for their children.
        kept = []
        for child in node.get('childIds', []):
            if child in nodes:
                kept += shown(nodes[child]) if nodes[child].get('ignored') else [nodes[child]]
        return kept

    def plain(node):
        states = {p['name']: p['value'].get('value') for p in node.get('properties', [])}
        children = [plain(child) for child in shown(node)]
        role, name = node['role']['value'], node.get('name', {}).get('value', '')
        # Text in an element of its own.
        if role == 'generic' and not name and [c['role'] for c in children] == ['StaticText']:
            return children[0]
        return {'role': role, 'name': name, 'value': node.get('value', {}).get('value', ''),
                'description': node.get('description', {}).get('value', ''),
                'checked': states.get('checked'), 'focused': bool(states.get('focused')),
                'disabled': bool(states.get('disabled')),
                'children': children}

    root = plain(next(node for node in nodes.values() if 'parentId' not in node))
    window = find(root, lambda node: any(child['name'] == 'RUN' and child['role'] == 'button'
                                         for child in node['children']))
    return window or {'children': [], 'focused': False}, root


def find(node, found):
    """The first node of the tree from node, depth first, for which found holds."""
    if found(node):
        return node
    return next((hit for child in node['children'] if (hit := find(child, found))), None)


async def screen_reader(program, language, plots):
    """What a screen reader finds and does in Chromium: every control by its role and name in
    the order of Tab, their states and descriptions in the browser's language, where the focus
    is, presses made through the page's own elements, and a refusal."""
    page = program.page
    window, _ = await window_tree(page)
    controls = [(child['role'], child['name']) for child in window['children']]
    listed = controls == [(role, name or PLOT[language]) for role, name in CONTROLS]
    program.check(listed, f'{language}: the controls by role and name, in the order of Tab: '
                  f'{controls}')
    if not listed:
        return
    described = [child['description'] for child in window['children']
                 if child['role'] != 'StaticText']
    program.check(len(described) == 6 and all(
        any(ord(c) in JAPANESE for c in text) == (language == 'ja-JP') for text in described),
        f'{language}: every control but the label is described, in the browser\'s language')
    run, _, field, _, start, _, _ = window['children']
    program.check(field['value'] == '14' and start['checked'] == 'true' and run['focused'],
                  f'{language}: Wave Num holds 14, START is checked, the focus is on RUN')

    async def focused_name():
        window, _ = await window_tree(page)
        node = find(window, lambda node: node['focused'])
        return node and node['name']
    order = [await focused_name()]
    for _ in range(6):
        await page.key('Tab', 'Tab', 9)
        order.append(await settled(focused_name, order[-1]))
    program.check(order == ['RUN', 'Wave Num', PLOT[language], 'START', 'CLEAR', 'CLOSE', 'RUN'],
                  f'{language}: the focus follows Tab through the window: {order}')

    async def start_is(state):
        window, _ = await window_tree(page)
        return [child.get('checked') for child in window['children']][4:5] == [state]
    await program.click(START)
    await program.until(lambda: start_is('false'), f'{language}: START unchecked by the mouse')
    await page.key(' ', 'Space', 32, text=' ')
    await program.until(lambda: start_is('true'), f'{language}: checked again by the keyboard')

    # As a screen reader presses them, through the page's own elements.
    await page.evaluate(NAMED % 'RUN' + '?.click()')
    await program.plot_is(plots[0], f'{language}: RUN pressed as a screen reader does')
    await page.evaluate(NAMED % 'START' + '?.click()')
    await program.until(lambda: start_is('false'), f'{language}: and START unchecked so')
    await program.plot_is(plots[1], f'{language}: the run goes on to its end')

    await program.click(TEXT1)
    await clear_wave_num(page)
    await page.type('abc')
    await program.click(RUN)

    async def announced():
        window, root = await window_tree(page)
        message = find(root, lambda node: node['role'] == 'alertdialog')
        return (message and message['name'] == TITLE and 'abc' in message['description']
                and find(message, lambda node: node['focused'] and node['role'] == 'button')
                and window['children'][0]['disabled'])
    await program.until(announced, f'{language}: the refusal is an alert dialog that says why, '
                        'with the focus on its button, and RUN waits for it')

    async def closed():
        window, _ = await window_tree(page)
        return await focused_name() == 'RUN' and not window['children'][0]['disabled']
    await page.key('Enter', 'Enter', 13, text='\r')
    await program.until(closed, f'{language}: Enter closes it, the focus back on RUN')


async def tablets(open_program, engine, url):
    """A tap on Wave Num as on tablets gives a text input of the page the focus, where their
    on-screen keyboards open; typing goes on there, and a tap elsewhere takes the focus away."""
    for tablet, device in TABLETS.items():
        program = await open_program(engine, url, touch=True, device=device)
        await program.tap(TEXT1)

        async def typing(value=''):
            tag, kind, name, now = await program.page.evaluate(FOCUSED)
            return (tag, kind, name) == ('INPUT', 'text', 'Wave Num') and value in now
        await program.until(typing, f'{tablet}: a tap on Wave Num focuses a text input of the '
                            'page, named Wave Num')
        for key in '2.5':
            await program.page.send('Input.insertText', text=key)
        await program.until(lambda: typing('2.5'), f'{tablet}: the keyboard types on')
        await program.tap(START)

        async def elsewhere():
            return (await program.page.evaluate(FOCUSED))[1] != 'text'
        await program.until(elsewhere, f'{tablet}: a tap on START takes the keyboard away')
        await program.page.close()


async def composition(open_program, engine, url, plots):
    """Full-width digits composed with an input method into Wave Num show there as pre-edit text,
    and RUN then holds the first frame of the same digits typed in ASCII."""
    runs = []
    for language, composed in (('en-GB', None), ('ja-JP', '２０')):
        program = await open_program(engine, url, language=language)
        page = program.page
        await program.click(TEXT1)
        await clear_wave_num(page)
        if composed:
            empty = await page.screenshot(*FIELD)
            await page.send('Input.imeSetComposition', text=composed,
                            selectionStart=len(composed), selectionEnd=len(composed))

            async def shown():
                return not same(await page.screenshot(*FIELD), empty)
            await program.until(shown, f'{composed} composed in Wave Num shows as it is typed')
            await page.send('Input.insertText', text=composed)
        else:
            await page.type('20')
        await program.click(RUN)
        # Held, as START is checked: the same twice, and not white.
        runs.append(await settled(program.plot, WHITE_PLOT, lambda old, new: same(old, new)
                                  and not same(new, WHITE_PLOT)))
        await page.close()
    program.check(not same(runs[0], plots[0]) and same(runs[1], runs[0]),
                  '２０ composed, then RUN: the first frame of 20 typed in ASCII')


async def elements(open_program, engine, url):
    """In WebKitGTK and Firefox, what their drivers can show: the page's focus on the control
    that has Qt's, START's box after a change, a text input for Wave Num, and the refusal."""
    program = await open_program(engine, url)
    page = program.page

    async def focus_on(name, tag=None):
        focused = await page.evaluate(FOCUSED)
        return focused[2] == name and tag in (None, focused[0])
    await program.until(lambda: focus_on('RUN'), 'the focus starts on RUN\'s element')
    for name in ('Wave Num', PLOT['en-GB'], 'START'):
        await page.key('Tab', 'Tab', 9)
        await program.until(lambda: focus_on(name), f'Tab: the focus on {name}\'s element')
    await page.key(' ', 'Space', 32, text=' ')
    await program.until(lambda: page.evaluate(f'{NAMED % "START"}?.checked === false'),
                        'Space unchecks START\'s box')
    await program.click(START)
    await program.until(lambda: page.evaluate(f'{NAMED % "START"}?.checked === true'),
                        'a click checks it again')
    await (program.tap if engine.touch else program.click)(TEXT1)
    await program.until(lambda: focus_on('Wave Num', 'INPUT'),
                        'a tap or click on Wave Num focuses its text input')
    await clear_wave_num(page)
    await page.type('abc')
    await program.click(RUN)

    async def refused():
        message = await page.evaluate(REFUSAL)
        return message and 'abc' in message[0] and message[1]
    await program.until(refused, 'the refusal is an alert dialog that says why and has the focus')
    await page.close()


async def settled(get, old, done=lambda old, new: new != old):
    """What get() gives once done with what it gave before; within a bounded time."""
    deadline = time.monotonic() + PATIENCE
    while time.monotonic() < deadline:
        new = await get()
        if done(old, new):
            return new
        old = new
        await asyncio.sleep(0.2)
    return old


async def run(url, plots, open_program):
    """plots: the Linux program's with the first frame held and at the end of the run."""
    with browser.Chromium() as engine:
        for language in PLOT:
            program = await open_program(engine, url, language=language)
            await screen_reader(program, language, plots)
            await program.page.close()
        await tablets(open_program, engine, url)
        await composition(open_program, engine, url, plots)
    for kind in (webkit.WebKit, firefox.Firefox):
        with kind() as engine:
            await elements(open_program, engine, url)
