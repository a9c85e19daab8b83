#!/usr/bin/env bash
# Makes the small real MP3 files the tag tests read, once; the results are
# committed. Needs Debian's lame and python3-mutagen. lame writes the audio
# (no tag of its own); mutagen writes every tag, so no encoder name or address
# ends up in a tag. Run from anywhere: ./make_fixtures.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A 2-second 440 Hz tone, 44.1 kHz mono 16-bit.
/usr/bin/python3 - "$work/tone.wav" <<'PY'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * 440 * i / 44100)))
                           for i in range(2 * 44100)))
PY

enc() { lame --quiet --noreplaygain "$@"; }
enc -b 128 "$work/tone.wav" "$work/cbr128_info.mp3"          # CBR with an "Info" header
enc -b 128 -t "$work/tone.wav" "$work/cbr128_noheader.mp3"   # CBR without one
enc -V 6 "$work/tone.wav" "$work/vbr_xing.mp3"               # VBR with a "Xing" header
enc -b 32 --resample 22.05 "$work/tone.wav" "$work/mpeg2_22k.mp3"
enc -b 16 --resample 8 "$work/tone.wav" "$work/mpeg25_8k.mp3"

/usr/bin/python3 - "$work" "$here" <<'PY'
import shutil, sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TCON, COMM, APIC, TDRC, TYER
from mutagen.mp3 import MP3
work, out = sys.argv[1], sys.argv[2]

def tagged(src, name, version, encoding, artist, title, album, extra=()):
    dst = f"{out}/{name}"
    shutil.copy(f"{work}/{src}", dst)
    tags = ID3()
    tags.add(TPE1(encoding=encoding, text=artist))
    tags.add(TIT2(encoding=encoding, text=title))
    tags.add(TALB(encoding=encoding, text=album))
    for frame in extra:
        tags.add(frame)
    if version == 3:
        tags.update_to_v23()
    tags.save(dst, v2_version=version, v1=0, padding=lambda info: 64)

tagged("cbr128_info.mp3", "v23_latin1_cbr.mp3", 3, 0, "Björk", "Jóga", "Homogenic",
       [TCON(encoding=0, text="Rock"), TYER(encoding=0, text="1997")])
tagged("cbr128_noheader.mp3", "v23_utf16_cbr_noheader.mp3", 3, 1, "Кино", "Группа крови",
       "Группа крови", [COMM(encoding=1, lang="rus", desc="", text="Комментарий")])
tagged("vbr_xing.mp3", "v24_utf8_vbr.mp3", 4, 3, "AC/DC", "Thunderstruck", "The Razors Edge",
       [TDRC(encoding=3, text="1990-09-10"),
        APIC(encoding=3, mime="image/png", type=3, desc="cover", data=b"\x89PNG\r\n\x1a\n" + bytes(200))])
tagged("mpeg2_22k.mp3", "v24_utf16be_mpeg2.mp3", 4, 2, "Ελληνικά", "Τίτλος", "Δίσκος")
tagged("mpeg25_8k.mp3", "v24_multi_artist_mpeg25.mp3", 4, 3, ["Kino", "Viktor Tsoi"], "Song", "Album")

# ID3v1.1 only: the 128-byte trailer with a track number, Latin-1 text.
def v1(title, artist, album, track, genre):
    f = lambda s, n: s.encode("latin-1")[:n].ljust(n, b"\0")
    return b"TAG" + f(title, 30) + f(artist, 30) + f(album, 30) + b"2004" + f("", 28) + b"\0" + bytes([track, genre])
shutil.copy(f"{work}/cbr128_info.mp3", f"{out}/v11_only.mp3")
with open(f"{out}/v11_only.mp3", "ab") as fh:
    fh.write(v1("Café", "Sigur Rós", "Ágætis byrjun", 5, 17))

# Damaged: a tag header claiming far more than the file holds (a cut-off copy).
data = open(f"{out}/v23_latin1_cbr.mp3", "rb").read()
size = 0x0FFFFFFF
cut = bytearray(data[:600]); cut[6:10] = bytes([(size >> s) & 0x7F for s in (21, 14, 7, 0)])
open(f"{out}/truncated_tag_size.mp3", "wb").write(bytes(cut))
# Damaged: the same size field in a file that holds all its audio.
whole = bytearray(data); whole[6:10] = cut[6:10]
open(f"{out}/tag_size_past_end.mp3", "wb").write(bytes(whole))
# Damaged: a frame with an encoding byte of 9 before the good ones.
bad = bytearray(open(f"{out}/v23_latin1_cbr.mp3", "rb").read())
pos = bad.index(b"TPE1") + 10
bad[pos] = 9
open(f"{out}/bad_encoding_frame.mp3", "wb").write(bytes(bad))
# Damaged: no MPEG frame at all behind a good tag.
tag_len = 10 + sum((b & 0x7F) << s for b, s in zip(data[6:10], (21, 14, 7, 0)))
open(f"{out}/no_audio_frames.mp3", "wb").write(data[:tag_len] + bytes(3000))

for name in ["v23_latin1_cbr.mp3", "v23_utf16_cbr_noheader.mp3", "v24_utf8_vbr.mp3",
             "v24_utf16be_mpeg2.mp3", "v24_multi_artist_mpeg25.mp3", "v11_only.mp3"]:
    info = MP3(f"{out}/{name}").info
    print(f"{name}: {info.length:.3f} s, {info.bitrate // 1000} kbit/s")
PY
