#!/usr/bin/python3
"""Derives deb-src entries from a machine's Debian deb entries.

Usage: deb_src.py ETC_APT_DIR OUT_FILE
Reads ETC_APT_DIR/sources.list and ETC_APT_DIR/sources.list.d/*.list|*.sources.
When some entry already serves sources, nothing is written (exit 3).
Otherwise OUT_FILE receives deb822 stanzas with the same URIs, suites,
components and Signed-By as the Debian archive entries (exit 0); exit 4 when
there is no Debian deb entry to derive from.
"""
import glob
import os
import sys


def one_line_entries(text):
    """Entries of the one-line format: (types, options, uri, suite, components)."""
    for raw in text.splitlines():
        line = raw.split('#', 1)[0].strip()
        if not line:
            continue
        words = line.split()
        kind = words.pop(0)
        if kind not in ('deb', 'deb-src'):
            continue
        options = {}
        if words and words[0].startswith('['):
            opt_words = []
            while words:
                w = words.pop(0)
                opt_words.append(w)
                if w.endswith(']'):
                    break
            for opt in ' '.join(opt_words).strip('[] ').split():
                if '=' in opt:
                    key, value = opt.split('=', 1)
                    options[key.lower()] = value
        if len(words) < 2:
            continue
        yield {'types': [kind], 'uris': [words[0]], 'suites': [words[1]],
               'components': words[2:], 'signed-by': options.get('signed-by'),
               'enabled': True}


def deb822_entries(text):
    """Stanzas of the deb822 format, fields folded, comments dropped."""
    stanzas, fields, last = [], {}, None
    for raw in text.splitlines() + ['']:
        if raw.startswith('#'):
            continue
        if not raw.strip():
            if fields:
                stanzas.append(fields)
            fields, last = {}, None
            continue
        if raw[0] in ' \t' and last:
            fields[last] += '\n' + raw.strip()
            continue
        if ':' in raw:
            key, value = raw.split(':', 1)
            last = key.strip().lower()
            fields[last] = value.strip()
    for f in stanzas:
        yield {'types': f.get('types', '').split(), 'uris': f.get('uris', '').split(),
               'suites': f.get('suites', '').split(),
               'components': f.get('components', '').split(),
               'signed-by': f.get('signed-by'),
               'enabled': f.get('enabled', 'yes').lower() != 'no'}


def read_entries(etc):
    entries = []
    main = os.path.join(etc, 'sources.list')
    files = [main] if os.path.isfile(main) else []
    files += sorted(glob.glob(os.path.join(etc, 'sources.list.d', '*.list')))
    files += sorted(glob.glob(os.path.join(etc, 'sources.list.d', '*.sources')))
    for path in files:
        with open(path, encoding='utf-8', errors='replace') as f:
            text = f.read()
        parse = deb822_entries if path.endswith('.sources') else one_line_entries
        entries += [e for e in parse(text) if e['enabled']]
    return entries


def is_debian_archive(entry):
    signed = entry['signed-by'] or ''
    return 'debian-archive-keyring' in signed or any(
        'debian.org' in uri or uri.rstrip('/').endswith(('/debian', '/debian-security'))
        for uri in entry['uris'])


def stanza(entry):
    lines = ['Types: deb-src',
             'URIs: ' + ' '.join(entry['uris']),
             'Suites: ' + ' '.join(entry['suites']),
             'Components: ' + ' '.join(entry['components'])]
    signed = entry['signed-by']
    if signed:
        # An inline key block keeps its folded lines.
        lines.append('Signed-By: ' + signed.replace('\n', '\n '))
    return '\n'.join(lines) + '\n'


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    etc, out = argv[1], argv[2]
    entries = read_entries(etc)
    if any('deb-src' in e['types'] for e in entries):
        return 3
    derived = [stanza(e) for e in entries if 'deb' in e['types'] and is_debian_archive(e)]
    if not derived:
        return 4
    # Drop exact repeats (one-line files often list a suite twice).
    unique = list(dict.fromkeys(derived))
    with open(out, 'w', encoding='utf-8') as f:
        f.write('# Source entries derived from this machine\'s Debian entries.\n')
        f.write('\n'.join(unique))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
