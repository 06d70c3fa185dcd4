#!/usr/bin/python3
"""Prints the Debian archive this machine installs SUITE from.

Usage: debian_archive.py ETC_APT_DIR SUITE
Prints two lines: the archive URI and its Signed-By keyring (empty when the
entry names none or carries an inline key). Exit 4 when no Debian deb entry
serves SUITE.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import deb_src  # noqa: E402


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    etc, suite = argv[1], argv[2]
    for entry in deb_src.read_entries(etc):
        if 'deb' in entry['types'] and deb_src.is_debian_archive(entry) and suite in entry['suites']:
            keyring = entry['signed-by'] or ''
            if '\n' in keyring or not keyring.startswith('/'):
                keyring = ''
            print(entry['uris'][0])
            print(keyring)
            return 0
    return 4


if __name__ == '__main__':
    sys.exit(main(sys.argv))
