#!/usr/bin/python3
"""Writes the site's service worker: the template with the files that the page loads and a hash
of their contents, so that every build whose files differ is a new worker with a cache of its
own, and one whose files are the same is the same worker.
    service-worker.py TEMPLATE SITE-FOLDER FILE..."""

import hashlib
import json
import os
import sys


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    template, site, files = sys.argv[1], sys.argv[2], sorted(sys.argv[3:])
    digest = hashlib.sha256()
    for name in files:
        with open(os.path.join(site, name), 'rb') as file:
            contents = file.read()
        digest.update(f'{name}\0{len(contents)}\0'.encode())
        digest.update(contents)
    with open(template, encoding='utf-8') as file:
        worker = file.read()
    for placeholder, value in (('BUILD_HASH', json.dumps(digest.hexdigest()[:16])),
                               ('BUILD_FILES', json.dumps(files))):
        if worker.count(placeholder) != 1:
            sys.exit(f'{template}: expected {placeholder} once')
        worker = worker.replace(placeholder, value)
    with open(os.path.join(site, 'service-worker.js'), 'w', encoding='utf-8') as file:
        file.write(worker)


if __name__ == '__main__':
    main()
