#!/usr/bin/env python3
"""Write the demo track: about 60 seconds of digital silence as MPEG-1 Layer III.

Every frame is 128 kbit/s, 44.1 kHz, stereo, no CRC.  A frame holds 1152
samples, so its exact length is 144 * 128000 / 44100 = 417.96 bytes; frames
are 417 bytes, and the padding bit adds a 418th byte whenever the running
total would otherwise fall behind.  The 32 bytes of side information and the
main data are all zero, which decodes to silence.  No ID3 tag.

Standard library only.  Run:  python3 make_sample.py   (writes the .mp3
next to itself)
"""

import os
import struct
import sys

FILE_NAME = "Velmor Demo - Morning Lights.mp3"
SECONDS = 60
SAMPLE_RATE = 44100
BITRATE = 128000
SAMPLES_PER_FRAME = 1152
SIDE_INFO_BYTES = 32          # MPEG-1, two channels

BITRATE_INDEX = 9             # 128 kbit/s in the MPEG-1 Layer III table
RATE_INDEX = 0                # 44100 Hz
MODE_STEREO = 0


def frame_header(padding):
    h = 0x7FF << 21           # frame sync
    h |= 0b11 << 19           # MPEG version 1
    h |= 0b01 << 17           # Layer III
    h |= 1 << 16              # no CRC
    h |= BITRATE_INDEX << 12
    h |= RATE_INDEX << 10
    h |= (1 if padding else 0) << 9
    h |= MODE_STEREO << 6
    h |= 1 << 2               # original
    return struct.pack(">I", h)


def build():
    frames = -(-SECONDS * SAMPLE_RATE // SAMPLES_PER_FRAME)   # round up
    numerator = 144 * BITRATE          # bytes per frame * SAMPLE_RATE
    out = bytearray()
    for n in range(frames):
        start = n * numerator // SAMPLE_RATE
        end = (n + 1) * numerator // SAMPLE_RATE
        size = end - start             # 417 or 418
        padding = size == numerator // SAMPLE_RATE + 1
        frame = frame_header(padding) + bytes(size - 4)
        assert len(frame) == size
        out += frame
    return bytes(out), frames


def main():
    out_path = os.path.join(os.path.dirname(os.path.abspath(__file__)), FILE_NAME)
    if len(sys.argv) > 1:
        out_path = sys.argv[1]
    data, frames = build()
    with open(out_path, "wb") as f:
        f.write(data)
    seconds = frames * SAMPLES_PER_FRAME / SAMPLE_RATE
    print("wrote %s: %d frames, %.2f s, %d bytes" % (out_path, frames, seconds, len(data)))


if __name__ == "__main__":
    main()
