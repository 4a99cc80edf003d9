#!/usr/bin/env python3
"""Writes the program's sounds: short wave files synthesised here, nothing
taken from outside, and the sound catalogue "orba.skf" that lists them,
assigns the event slots and gives every vehicle set of the picture generator
its horn, running, start, stop and arrival sounds.

Usage: mksounds.py OUTPUT_FOLDER   (the files go into OUTPUT_FOLDER/sound/)

Each train and crossing sound has two files: the first is heard while a view
shows the place, the second ("_far") when the place lies just outside a view:
quieter, duller and with a little echo. Every sound starts and ends softly, so
that sounds repeated back to back (the running noise) never click.
"""
import math
import os
import random
import struct
import sys

RATE = 22050
TWO_PI = 2.0 * math.pi


# ---------------------------------------------------------------- building blocks

def silence(seconds):
    return [0.0] * int(seconds * RATE)


def mix(*tracks):
    n = max(len(t) for t in tracks)
    out = [0.0] * n
    for t in tracks:
        for i, v in enumerate(t):
            out[i] += v
    return out


def place(track, at, sound, gain=1.0):
    """Adds sound into track from second `at` on, growing the track as needed."""
    start = int(at * RATE)
    need = start + len(sound)
    if need > len(track):
        track.extend([0.0] * (need - len(track)))
    for i, v in enumerate(sound):
        track[start + i] += v * gain
    return track


def envelope(track, attack, release, hold_curve=None):
    n = len(track)
    a = max(1, int(attack * RATE))
    r = max(1, int(release * RATE))
    for i in range(n):
        g = 1.0
        if i < a:
            g = 0.5 - 0.5 * math.cos(math.pi * i / a)
        if i >= n - r:
            g *= 0.5 - 0.5 * math.cos(math.pi * (n - 1 - i) / r)
        track[i] *= g
    return track


def tone(freqs, seconds, harmonics=6, vibrato=0.0, vib_rate=5.0, bright=1.0, glide=None):
    """Sum of notes, each a band-limited reed-like wave (harmonics at 1/n^bright)."""
    n = int(seconds * RATE)
    out = [0.0] * n
    for f0 in freqs:
        phase = random.random() * TWO_PI
        weights = [1.0 / (k ** bright) for k in range(1, harmonics + 1)]
        norm = sum(weights)
        for i in range(n):
            t = i / RATE
            f = f0 * (1.0 + vibrato * math.sin(TWO_PI * vib_rate * t))
            if glide:
                f *= 1.0 + glide * (i / n)
            phase += TWO_PI * f / RATE
            s = 0.0
            for k, w in enumerate(weights, 1):
                if f * k < RATE / 2.2:
                    s += w * math.sin(k * phase)
            out[i] += s / norm
    return [v / len(freqs) for v in out]


def bell(f0, seconds, decay=1.2, partials=((1.0, 1.0), (2.76, 0.45), (5.40, 0.25), (8.93, 0.12))):
    """A struck bell: inharmonic partials, each dying away faster the higher it is."""
    n = int(seconds * RATE)
    out = [0.0] * n
    for ratio, amp in partials:
        f = f0 * ratio
        if f >= RATE / 2.2:
            continue
        d = decay / (ratio ** 0.6)
        for i in range(n):
            t = i / RATE
            out[i] += amp * math.exp(-t / d) * math.sin(TWO_PI * f * t)
    attack = int(0.002 * RATE)
    for i in range(min(attack, n)):
        out[i] *= i / attack
    return out


def noise(seconds, seed):
    rnd = random.Random(seed)
    return [rnd.uniform(-1.0, 1.0) for _ in range(int(seconds * RATE))]


def lowpass(track, cutoff):
    a = 1.0 - math.exp(-TWO_PI * cutoff / RATE)
    y = 0.0
    out = []
    for v in track:
        y += a * (v - y)
        out.append(y)
    return out


def highpass(track, cutoff):
    low = lowpass(track, cutoff)
    return [v - l for v, l in zip(track, low)]


def bandpass(track, low, high):
    """Two stages on each side: noise keeps its colour instead of hissing."""
    return lowpass(lowpass(highpass(highpass(track, low), low), high), high)


def scale(track, gain):
    return [v * gain for v in track]


def normalise(track, peak):
    m = max(abs(v) for v in track) or 1.0
    return [v * peak / m for v in track]


def rail_click(strength=1.0):
    """One wheel over a rail joint: a dull knock."""
    n = int(0.09 * RATE)
    knock = [0.0] * n
    rnd = random.Random(7)
    for i in range(n):
        t = i / RATE
        knock[i] = (math.sin(TWO_PI * 70 * t) * 0.8 + math.sin(TWO_PI * 140 * t) * 0.3 +
                    rnd.uniform(-1, 1) * 0.25 * math.exp(-t / 0.008)) * math.exp(-t / 0.025)
    return scale(knock, strength)


def rail_joints(seconds, first, spacing, strength):
    """The "ta-dum, ta-dum" of a bogie pair crossing the joints."""
    track = silence(seconds)
    at = first
    while at < seconds - 0.15:
        place(track, at, rail_click(strength))
        place(track, at + 0.13, rail_click(strength * 0.85))
        at += spacing
    return track


def far(track, seed):
    """The same sound from just outside the view: quieter, duller, an echo."""
    dull = lowpass(lowpass(track, 1800), 2600)
    echo = [0.0] * len(dull)
    d = int(0.07 * RATE)
    for i in range(len(dull)):
        echo[i] = dull[i] + (0.3 * dull[i - d] if i >= d else 0.0)
    return envelope(scale(echo, 0.45), 0.01, 0.03)


# ---------------------------------------------------------------- the sounds

def horn(notes, lengths, harmonics=7, bright=1.1):
    """A two- or three-note horn: the notes one after the other, or held together."""
    track = []
    for group, length in zip(notes, lengths):
        part = tone(group, length, harmonics=harmonics, vibrato=0.003, vib_rate=5.5, bright=bright)
        track += envelope(part, 0.03, 0.07)
        track += silence(0.02)
    return normalise(envelope(track, 0.005, 0.02), 0.6)


def steam_whistle():
    body = tone([587.0, 740.0, 880.0], 1.3, harmonics=3, vibrato=0.004, vib_rate=4.0, bright=1.6)
    breath = scale(bandpass(noise(1.3, 3), 500, 2500), 0.25)
    return normalise(envelope(mix(body, breath), 0.12, 0.25), 0.8)


def tram_bell():
    track = silence(0.9)
    place(track, 0.0, bell(1250.0, 0.5, decay=0.25))
    place(track, 0.28, bell(1250.0, 0.6, decay=0.3))
    return normalise(envelope(track, 0.002, 0.05), 0.75)


def bus_horn():
    part = tone([392.0, 494.0], 0.55, harmonics=9, bright=0.9)
    return normalise(envelope(part, 0.02, 0.08), 0.75)


def run_electric(seconds=4.0):
    n = int(seconds * RATE)
    hum = [0.0] * n
    for i in range(n):
        t = i / RATE
        hum[i] = (0.35 * math.sin(TWO_PI * 100 * t) + 0.15 * math.sin(TWO_PI * 200 * t) +
                  0.10 * math.sin(TWO_PI * 690 * t + 0.6 * math.sin(TWO_PI * 3 * t)) +
                  0.05 * math.sin(TWO_PI * 1380 * t))
    rolling = scale(lowpass(lowpass(noise(seconds, 11), 400), 600), 1.6)
    joints = rail_joints(seconds, 0.35, 1.0, 0.7)
    return normalise(envelope(mix(hum, rolling, joints), 0.04, 0.04), 0.6)


def run_diesel(seconds=4.0):
    n = int(seconds * RATE)
    engine = [0.0] * n
    rnd = random.Random(5)
    jitter = 0.0
    for i in range(n):
        t = i / RATE
        if i % 200 == 0:
            jitter = rnd.uniform(-0.08, 0.08)
        firing = 28.0
        s = 0.0
        for k, w in ((1, 0.5), (2, 0.45), (3, 0.3), (4, 0.25), (6, 0.15), (8, 0.08)):
            s += w * math.sin(TWO_PI * firing * k * t + k * jitter)
        throb = 0.75 + 0.25 * math.sin(TWO_PI * 1.7 * t)
        engine[i] = s * throb * 0.5
    exhaust = scale(bandpass(noise(seconds, 12), 80, 500), 0.9)
    joints = rail_joints(seconds, 0.55, 1.1, 0.6)
    return normalise(envelope(mix(lowpass(engine, 900), exhaust, joints), 0.04, 0.04), 0.6)


def run_steam(seconds=4.0):
    track = silence(seconds)
    chuff_len = 0.22
    raw = noise(chuff_len, 21)
    shaped = bandpass(raw, 250, 1800)
    beat = 1.0 / 3.0
    k = 0
    at = 0.02
    while at < seconds - chuff_len:
        accent = (1.0, 0.7, 0.85, 0.6)[k % 4]
        chuff = [v * accent * math.exp(-(i / RATE) / 0.06) for i, v in enumerate(shaped)]
        place(track, at, chuff)
        at += beat
        k += 1
    hiss = scale(bandpass(noise(seconds, 22), 2000, 5000), 0.06)
    joints = rail_joints(seconds, 0.7, 1.3, 0.45)
    return normalise(envelope(mix(track, hiss, joints), 0.02, 0.04), 0.8)


def run_tram(seconds=3.0):
    n = int(seconds * RATE)
    motor = [0.0] * n
    for i in range(n):
        t = i / RATE
        motor[i] = 0.25 * math.sin(TWO_PI * 120 * t) + 0.08 * math.sin(TWO_PI * 480 * t + math.sin(TWO_PI * 2 * t))
    rolling = scale(lowpass(lowpass(noise(seconds, 31), 500), 700), 1.2)
    joints = rail_joints(seconds, 0.4, 0.9, 0.45)
    return normalise(envelope(mix(motor, rolling, joints), 0.04, 0.04), 0.55)


def brake_squeal():
    n = int(2.0 * RATE)
    squeal = [0.0] * n
    phase = 0.0
    for i in range(n):
        t = i / RATE
        f = 2650.0 - 250.0 * (t / 2.0) + 30.0 * math.sin(TWO_PI * 6.5 * t)
        phase += TWO_PI * f / RATE
        rise = min(1.0, t / 0.35)
        squeal[i] = rise * (0.5 * math.sin(phase) + 0.12 * math.sin(2 * phase))
    squeal = envelope(squeal, 0.05, 0.5)
    air = scale(bandpass(noise(0.7, 41), 1500, 6000), 0.35)
    air = envelope(air, 0.05, 0.45)
    track = place(squeal, 1.65, air)
    rumble = scale(lowpass(lowpass(noise(2.3, 42), 200), 250), 2.5)
    return normalise(envelope(mix(track, envelope(rumble, 0.05, 1.5)), 0.01, 0.05), 0.55)


def door_closing():
    track = silence(1.5)
    beep = envelope(tone([880.0], 0.13, harmonics=2, bright=2.0), 0.01, 0.04)
    for k in range(3):
        place(track, 0.02 + k * 0.22, beep, 0.6)
    n = int(0.3 * RATE)
    thump = [0.0] * n
    rnd = random.Random(51)
    for i in range(n):
        t = i / RATE
        thump[i] = (math.sin(TWO_PI * 85 * t) * 0.9 + rnd.uniform(-1, 1) * 0.4 * math.exp(-t / 0.01)) * \
            math.exp(-t / 0.05)
    slide = envelope(scale(bandpass(noise(0.35, 52), 300, 1500), 0.25), 0.1, 0.05)
    place(track, 0.72, slide)
    place(track, 1.05, thump, 0.9)
    return normalise(envelope(track, 0.005, 0.05), 0.7)


def departure_whistle():
    n = int(0.8 * RATE)
    out = [0.0] * n
    phase = 0.0
    for i in range(n):
        t = i / RATE
        trill = 0.65 + 0.35 * math.sin(TWO_PI * 28 * t)
        f = 2480.0 + 60.0 * math.sin(TWO_PI * 28 * t)
        phase += TWO_PI * f / RATE
        out[i] = trill * math.sin(phase)
    breath = scale(bandpass(noise(0.8, 61), 1800, 4000), 0.12)
    return normalise(envelope(mix(out, breath), 0.03, 0.12), 0.55)


def click():
    n = int(0.07 * RATE)
    return normalise([math.sin(TWO_PI * 1320 * i / RATE) * math.exp(-(i / RATE) / 0.012) for i in range(n)], 0.4)


def chime(notes, spacing, decay=0.6, tail=0.7):
    track = silence(spacing * len(notes) + tail)
    for k, f in enumerate(notes):
        place(track, k * spacing, bell(f, tail + 0.2, decay=decay,
                                       partials=((1.0, 1.0), (2.0, 0.3), (3.0, 0.12), (4.2, 0.05))))
    return normalise(envelope(track, 0.002, 0.1), 0.55)


def alarm_bell():
    track = silence(1.4)
    at = 0.0
    k = 0
    while at < 1.2:
        place(track, at, bell(1900.0 if k % 2 == 0 else 1905.0, 0.15, decay=0.08), 0.7)
        at += 1.0 / 14.0
        k += 1
    return normalise(envelope(track, 0.002, 0.15), 0.5)


def crossing_ring(f0, strikes, seconds=0.95):
    track = silence(seconds)
    for k in range(strikes):
        place(track, k * seconds / strikes, bell(f0, seconds / strikes, decay=0.35))
    return normalise(envelope(track, 0.002, 0.05), 0.6)


# ---------------------------------------------------------------- files

def write_wav(path, track):
    frames = bytearray()
    for v in track:
        s = int(max(-1.0, min(1.0, v)) * 32767)
        frames += struct.pack("<h", s)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(frames)) + b"WAVE")
        f.write(b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16))
        f.write(b"data" + struct.pack("<I", len(frames)) + bytes(frames))


def duration_ms(track):
    return max(1, int(round(len(track) * 1000 / RATE)))


# Number, file stem, maker, and whether a "far" file goes with it.
SOUNDS = [
    (1, "horn_high", lambda: horn([[659.0], [830.0]], [0.32, 0.55]), True),
    (2, "horn_mid", lambda: horn([[392.0], [494.0]], [0.35, 0.6]), True),
    (3, "horn_low", lambda: horn([[196.0, 247.0, 294.0]], [1.0], harmonics=10, bright=0.9), True),
    (4, "whistle_steam", steam_whistle, True),
    (5, "bell_tram", tram_bell, True),
    (6, "horn_bus", bus_horn, True),
    (10, "run_electric", run_electric, True),
    (11, "run_diesel", run_diesel, True),
    (12, "run_steam", run_steam, True),
    (13, "run_tram", run_tram, True),
    (20, "brake_squeal", brake_squeal, True),
    (21, "door_closing", door_closing, True),
    (22, "departure_whistle", departure_whistle, True),
    (30, "action_click", click, False),
    (31, "dispatch_first", lambda: chime([659.0, 880.0], 0.25), False),
    (32, "dispatch_more", lambda: chime([784.0], 0.2, tail=0.45), False),
    (33, "dispatch_full", lambda: chime([880.0, 698.0, 523.0], 0.22), False),
    (34, "alarm_bell", alarm_bell, False),
    (40, "crossing_ring1", lambda: crossing_ring(1050.0, 1), True),
    (41, "crossing_ring2", lambda: crossing_ring(940.0, 1), True),
    (42, "crossing_closing", lambda: crossing_ring(1180.0, 2), True),
]

SLOTS = [("ACL", 30), ("DP1", 31), ("DP2", 32), ("DP3", 33), ("AST", 34), ("THN", 2), ("TBL", 10),
         ("TST", 22), ("TPS", 21), ("TAR", 20), ("LC1", 40), ("LC2", 41), ("LCY", 42)]

# The vehicle sets of the picture generator (tools/gfxgen/art_vehicle.cpp):
# a train sounds as its first vehicle.
RANGES = [
    ("THN", 2, "6256-a"),               # regional railcar
    ("THN", 6, "20001-a"),              # buses
    ("THN", 1, "20010-a"),              # electric multiple unit
    ("THN", 5, "20020-a"),              # trams
    ("THN", 3, "40310-a"),              # freight trains: a diesel up front
    ("THN", 4, "40321-a"),              # steam locomotives
    ("THN", 3, "40510-0,40510-1"),      # road and mainline diesels
    ("THN", 2, "40510-2"),              # the shunting diesel
    ("THN", 2, "40740-a"),              # electric locomotives
    ("TBL", 11, "6256-a"),
    ("TBL", 11, "20001-a"),
    ("TBL", 10, "20010-a"),
    ("TBL", 13, "20020-a"),
    ("TBL", 11, "40310-a"),
    ("TBL", 12, "40321-a"),
    ("TBL", 11, "40510-a"),
    ("TBL", 10, "40740-a"),
    ("TST", 6, "20001-a"),              # a bus hoots as it pulls out
    ("TST", 5, "20020-a"),              # a tram rings before it leaves
]


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: mksounds.py OUTPUT_FOLDER\n")
        return 2
    folder = os.path.join(sys.argv[1], "sound")
    os.makedirs(folder, exist_ok=True)
    random.seed(1)
    lines = ["; Sounds of the program: number, length, the file heard in a view and the",
             "; file heard just outside one. Written by tools/mksounds.py.", ";"]
    for number, stem, make, with_far in SOUNDS:
        random.seed(number)
        track = make()
        write_wav(os.path.join(folder, stem + ".wav"), track)
        entry = 'nr=%d,%dms,"%s.wav"' % (number, duration_ms(track), stem)
        if with_far:
            write_wav(os.path.join(folder, stem + "_far.wav"), far(track, number))
            entry += ',"%s_far.wav"' % stem
        lines.append(entry)
    lines.append("nr=0,0ms,")
    lines.append("; Event slots")
    lines += ["%s,%d" % s for s in SLOTS]
    lines.append("END")
    lines.append("; Vehicle sets: keyword and sound, then the sets")
    for keyword, number, sets in RANGES:
        lines.append("%s,%d" % (keyword, number))
        lines.append(sets)
    lines.append("END")
    text = "\r\n".join(lines) + "\r\n"
    with open(os.path.join(folder, "orba.skf"), "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
