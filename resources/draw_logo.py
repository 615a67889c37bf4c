#!/usr/bin/env python3
"""Builds logo.jpg, the info window's logo, from logo_figure.pam (drawn by draw_icons.py)
with ImageMagick's convert: 149 x 110, baseline JFIF, 2 x 2 chroma subsampling, 300 dpi,
padded with a comment segment to exactly 3,272 bytes. The output is committed; the build
never runs this script."""
import os
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TARGET_SIZE = 3272
FONT = '/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf'


def encode(picture, quality, out):
    subprocess.run(['convert', picture, '-strip', '-interlace', 'none', '-sampling-factor', '2x2,1x1,1x1',
                    '-units', 'PixelsPerInch', '-density', '300', '-quality', str(quality), out], check=True)
    with open(out, 'rb') as f:
        return f.read()


def with_comment(jpeg, length):
    """The JPEG with a comment segment of `length` bytes (marker included) after JFIF's APP0."""
    assert jpeg[0:4] == b'\xff\xd8\xff\xe0'
    app0_end = 4 + int.from_bytes(jpeg[4:6], 'big')
    payload = length - 4
    assert payload >= 0
    segment = b'\xff\xfe' + (payload + 2).to_bytes(2, 'big') + (b'Notiwell ' * (payload // 9 + 1))[:payload]
    return jpeg[:app0_end] + segment + jpeg[app0_end:]


def main():
    figure = os.path.join(HERE, 'logo_figure.pam')
    with tempfile.TemporaryDirectory() as tmp:
        picture = os.path.join(tmp, 'logo.png')
        subprocess.run([
            'convert', '-size', '149x110', 'gradient:#ffffff-#cfe0f6',
            figure, '-geometry', '+36+2', '-composite',
            '-font', FONT, '-pointsize', '21', '-fill', '#0c3a8c', '-gravity', 'south',
            '-annotate', '+0+4', 'Notiwell', picture], check=True)
        best = None
        for quality in range(100, 10, -1):
            jpeg = encode(picture, quality, os.path.join(tmp, 'q.jpg'))
            if len(jpeg) + 4 <= TARGET_SIZE:
                best = (quality, jpeg)
                break
        quality, jpeg = best
        data = with_comment(jpeg, TARGET_SIZE - len(jpeg))
    with open(os.path.join(HERE, 'logo.jpg'), 'wb') as f:
        f.write(data)
    print('logo.jpg quality', quality, len(data), 'bytes')


if __name__ == '__main__':
    main()
