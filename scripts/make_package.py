#!/usr/bin/env python3
"""Packs Zarp's release: a zip holding Zarp.exe, help.html and readme.txt.

  python3 scripts/make_package.py --exe build/win/Zarp.exe --out dist

The version is the one CMake wrote into generated/zarp_version.h beside the exe (from
the project() line of CMakeLists.txt); the zip is named Zarp-<version>-win64.zip.
readme.txt is written as Notepad on every Windows reads it: UTF-8 with a byte-order
mark and CR LF line ends, with the version filled in. The packer refuses an exe that
still carries symbols (not a release build), and a readme whose history does not
name the version being packed. Only the Python standard library is used.
"""

import argparse
import os
import re
import struct
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class PackError(Exception):
    pass


def read_version(header):
    try:
        with open(header, encoding='utf-8') as f:
            text = f.read()
    except OSError as e:
        raise PackError('cannot read the version header %s (%s): build Zarp.exe first' % (header, e.strerror))
    m = re.search(r'#define\s+ZARP_VERSION_TEXT\s+"([0-9]+\.[0-9]+\.[0-9]+)"', text)
    if not m:
        raise PackError('%s defines no ZARP_VERSION_TEXT of the form x.y.z' % header)
    return m.group(1)


def symbols_of(exe_bytes):
    """What an exe still carries for a debugger: a COFF symbol table and .debug sections."""
    if exe_bytes[:2] != b'MZ' or len(exe_bytes) < 0x40:
        raise PackError('not a Windows program')
    pe = struct.unpack_from('<I', exe_bytes, 0x3C)[0]
    if exe_bytes[pe:pe + 4] != b'PE\0\0':
        raise PackError('not a Windows program')
    sections, = struct.unpack_from('<H', exe_bytes, pe + 6)
    table, count = struct.unpack_from('<II', exe_bytes, pe + 12)
    optional, = struct.unpack_from('<H', exe_bytes, pe + 20)
    found = []
    if table or count:
        found.append('a symbol table of %d entries' % count)
    first = pe + 24 + optional
    for i in range(sections):
        name = exe_bytes[first + 40 * i:first + 40 * i + 8].rstrip(b'\0').decode('ascii', 'replace')
        # Long section names (such as .debug_info) are kept in the symbol table: "/offset".
        if name.startswith('.debug') or name.startswith('/'):
            found.append('section ' + name)
    return found


def readme_text(source, version):
    with open(source, encoding='utf-8') as f:
        text = f.read()
    if text.startswith('\ufeff'):
        text = text[1:]
    history = text.split('■ 履歴', 1)
    if len(history) != 2 or not re.search(r'^\s*%s[（(\s]' % re.escape(version), history[1], re.M):
        raise PackError('the history (■ 履歴) of %s has no entry for version %s' % (source, version))
    text = text.replace('@VERSION@', version)
    lines = text.replace('\r\n', '\n').split('\n')
    return '\ufeff' + '\r\n'.join(lines)


def pack(exe, out_dir, header=None, help_page=None, readme=None):
    header = header or os.path.join(os.path.dirname(exe), 'generated', 'zarp_version.h')
    help_page = help_page or os.path.join(ROOT, 'res', 'help.html')
    readme = readme or os.path.join(ROOT, 'res', 'readme.txt')
    version = read_version(header)
    try:
        with open(exe, 'rb') as f:
            exe_bytes = f.read()
    except OSError as e:
        raise PackError('cannot read %s (%s)' % (exe, e.strerror))
    leftovers = symbols_of(exe_bytes)
    if leftovers:
        raise PackError('%s is not stripped (%s): package a release build' % (exe, ', '.join(leftovers)))
    with open(help_page, 'rb') as f:
        help_bytes = f.read()
    readme_bytes = readme_text(readme, version).encode('utf-8')

    try:
        os.makedirs(out_dir, exist_ok=True)
    except OSError as e:
        raise PackError('cannot make the folder %s (%s)' % (out_dir, e.strerror))
    target = os.path.join(out_dir, 'Zarp-%s-win64.zip' % version)
    stamp = time.localtime()[:6]
    partial = target + '.part'
    with zipfile.ZipFile(partial, 'w', zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, data in (('Zarp.exe', exe_bytes), ('help.html', help_bytes), ('readme.txt', readme_bytes)):
            info = zipfile.ZipInfo(name, stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            z.writestr(info, data)
    os.replace(partial, target)
    return target


def main(argv=None):
    ap = argparse.ArgumentParser(description='Pack Zarp.exe, help.html and readme.txt into a release zip.')
    ap.add_argument('--exe', required=True, help='the release build of Zarp.exe')
    ap.add_argument('--out', default=os.path.join(ROOT, 'dist'), help='folder for the zip (default: dist/)')
    ap.add_argument('--version-header', help='zarp_version.h (default: generated/ beside the exe)')
    args = ap.parse_args(argv)
    try:
        print(pack(args.exe, args.out, args.version_header))
    except PackError as e:
        print('make_package: ' + str(e), file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
