#!/usr/bin/python3
"""The twelve sound effects in assets/Files/Sound/.

Every sound is synthesised here with numpy: impacts and metal from sums of
decaying partials, fire, glass and gunfire from shaped noise. The three
cries start from a vowel spoken by espeak-ng (a Debian package) and are
bent into shape in code: pitch contour, vibrato, envelope, distortion.
Each file is a canonical 44-byte-header WAV, 16-bit stereo PCM at
44100 Hz, peaking 3 dB below full scale (the sustained ones lower, see
QUIETER_PEAK_DB). Noise comes from fixed
seeds, so every run writes the same bytes.
"""
import shutil
import struct
import subprocess
from pathlib import Path

import numpy as np

ROOT = Path(__file__).resolve().parent.parent
OUT_DIR = ROOT / "assets" / "Files" / "Sound"

SR = 44100
PEAK_DB = -3.0
# Sustained sounds would sound several dB louder than the impacts around
# them at the common peak, so they peak lower to sit in the mix: the cries,
# and the fire loop that runs under everything else.
QUIETER_PEAK_DB = {"death.wav": -8.0, "die.wav": -8.0, "hi.wav": -8.0, "burning.wav": -6.0}


# --- building blocks -------------------------------------------------------

def samples(seconds):
    return int(round(seconds * SR))


def times(n):
    return np.arange(n) / SR


def shaped_noise(n, rng, lo, hi, order=2, tilt=0.0):
    """Stationary noise band-limited to lo..hi Hz with Butterworth-like
    skirts, optionally tilted by tilt dB per octave, at unit RMS. Filtered
    in the frequency domain, so it is periodic: it loops without a seam."""
    spec = np.fft.rfft(rng.standard_normal(n))
    f = np.fft.rfftfreq(n, 1 / SR)
    f[0] = 1e-3
    gain = 1 / np.sqrt(1 + (lo / f) ** (2 * order)) if lo > 0 else np.ones_like(f)
    if hi:
        gain = gain / np.sqrt(1 + (f / hi) ** (2 * order))
    if tilt:
        gain = gain * (f / 1000.0) ** (tilt / 6.02)
    gain[0] = 0
    x = np.fft.irfft(spec * gain, n)
    return x / (np.sqrt(np.mean(x ** 2)) + 1e-12)


def band_filter(x, lo, hi, order=2):
    """Zero-phase band filter of a signal (frequency-domain gain)."""
    n = len(x)
    spec = np.fft.rfft(x)
    f = np.fft.rfftfreq(n, 1 / SR)
    f[0] = 1e-3
    gain = np.ones_like(f)
    if lo:
        gain /= np.sqrt(1 + (lo / f) ** (2 * order))
    if hi:
        gain /= np.sqrt(1 + (f / hi) ** (2 * order))
    return np.fft.irfft(spec * gain, n)


def envelope(n, start, attack, decay, hold=0.0):
    """0 before start, a raised-cosine rise over attack seconds, flat for
    hold seconds, then an exponential decay with time constant decay."""
    t = times(n) - start
    env = np.zeros(n)
    if attack > 0:
        rise = (t >= 0) & (t < attack)
        env[rise] = 0.5 - 0.5 * np.cos(np.pi * t[rise] / attack)
    flat = (t >= attack) & (t < attack + hold)
    env[flat] = 1.0
    tail = t >= attack + hold
    env[tail] = np.exp(-(t[tail] - attack - hold) / decay)
    return env


def partials(n, start, freqs, decays, amps, glide=0.0):
    """A struck resonator: decaying sine partials starting at phase 0 at
    start seconds. glide bends every partial's pitch by that fraction,
    settling exponentially within the first 30 ms."""
    out = np.zeros(n)
    i0 = samples(start)
    if i0 >= n:
        return out
    t = times(n - i0)
    bend = 1 + glide * np.exp(-t / 0.03)
    for f, d, a in zip(freqs, decays, amps):
        if f * (1 + max(glide, 0)) > 0.4 * SR:
            continue  # would alias
        phase = 2 * np.pi * np.cumsum(f * bend) / SR
        out[i0:] += a * np.exp(-t / d) * np.sin(phase - phase[0])
    return out


def pan(mono, p):
    """Constant-power pan, p from -1 (left) to 1 (right): an (n, 2) array."""
    a = (p + 1) * np.pi / 4
    return np.stack([mono * np.cos(a), mono * np.sin(a)], axis=1)


def stereo(mono):
    return pan(mono, 0.0)


def soft_clip(x, drive):
    return np.tanh(drive * x) / np.tanh(drive)


def fade_out(x, seconds):
    k = samples(seconds)
    x[-k:] *= np.cos(np.linspace(0, np.pi / 2, k))[:, None] ** 2
    return x


# --- espeak-ng vowels for the cries ---------------------------------------

def espeak(phonemes, voice, pitch, speed=120):
    """Mono float samples at espeak-ng's own rate (22050 Hz), silence
    trimmed, peak 1."""
    if shutil.which("espeak-ng") is None:
        raise SystemExit("espeak-ng is needed for the cries: apt-get install espeak-ng")
    wav = subprocess.run(
        ["espeak-ng", "-v", voice, "-p", str(pitch), "-s", str(speed),
         "--stdout", phonemes],
        check=True, capture_output=True).stdout
    # a streamed 44-byte header whose lengths are left open: take the rate
    # from it and every sample after it
    if wav[:4] != b"RIFF" or wav[36:40] != b"data" or struct.unpack_from("<HH", wav, 20) != (1, 1):
        raise SystemExit("unexpected output format from espeak-ng")
    rate = struct.unpack_from("<I", wav, 24)[0]
    raw = wav[44:]
    x = np.frombuffer(raw[: len(raw) // 2 * 2], dtype="<i2").astype(float)
    loud = np.nonzero(np.abs(x) > 0.02 * np.abs(x).max())[0]
    x = x[loud[0]:loud[-1] + 1]
    return x / np.abs(x).max(), rate


def sustain(voice, rate, seconds):
    """Lengthen a steady vowel to at least seconds by repeating a stretch
    of whole pitch periods from its middle; the copies overlap by one
    period with a raised-cosine crossfade, so the joins stay in phase."""
    need = int(seconds * rate)
    if len(voice) >= need:
        return voice
    mid = len(voice) // 2
    win = voice[mid - 2048:mid + 2048]
    ac = np.correlate(win, win, "full")[len(win) - 1:]
    lo, hi = rate // 500, rate // 50
    period = lo + int(np.argmax(ac[lo:hi]))
    chunk = voice[mid:mid + period * max(2, int(0.12 * rate) // period)]
    fade = 0.5 - 0.5 * np.cos(np.linspace(0, np.pi, period))
    out = voice[:mid + len(chunk)].copy()
    while len(out) + len(voice) - mid - len(chunk) < need:
        out[-period:] = out[-period:] * (1 - fade) + chunk[:period] * fade
        out = np.concatenate([out, chunk[period:]])
    tail = voice[mid + len(chunk):]
    return np.concatenate([out, tail])


def bend(voice, rate, ratio):
    """Read voice at a time-varying speed: ratio[i] (one per output sample
    at SR) is the pitch factor at that moment; formants move with it, as
    a small person's voice would. Stops when the source runs out."""
    step = ratio * rate / SR
    pos = np.concatenate([[0.0], np.cumsum(step[:-1])])
    pos = pos[pos < len(voice) - 1]
    return np.interp(pos, np.arange(len(voice)), voice)


def wobble(n, rng, rate_hz, depth, jitter=0.0):
    """Vibrato curve around 1: a sine with slightly wandering rate plus
    smoothed random jitter."""
    t = times(n)
    drift = np.cumsum(1 + 0.15 * np.sin(2 * np.pi * 0.9 * t)) / SR
    curve = depth * np.sin(2 * np.pi * rate_hz * drift)
    if jitter:
        curve += jitter * shaped_noise(n, rng, 0, 25, order=2)
    return 1 + curve


# --- the sounds ------------------------------------------------------------

def glassbreak():
    """A hammer blow through a pane: thump and crack, a short burst of
    shatter noise, then shards tinkling and landing for most of a second."""
    rng = np.random.default_rng(101)
    n = samples(1.1)
    t = times(n)
    out = np.zeros((n, 2))
    thump_freq = 70 + 110 * np.exp(-t / 0.02)
    thump = np.sin(2 * np.pi * np.cumsum(thump_freq) / SR) * envelope(n, 0, 0.001, 0.03)
    out += stereo(0.6 * thump)
    crack = shaped_noise(n, rng, 1500, 14000) * envelope(n, 0, 0.0005, 0.01)
    out += stereo(0.9 * crack)
    grain = 0.3 + 0.7 * np.abs(shaped_noise(n, rng, 0, 150))
    for side in (-0.5, 0.5):
        bed = shaped_noise(n, rng, 3000, 13000) * grain * envelope(n, 0.002, 0.004, 0.07)
        out += pan(0.3 * bed, side)
    # shards: a dense burst right after the blow, then pieces landing
    for k in range(150):
        late = k % 3 == 0
        start = 0.003 + (rng.uniform(0.08, 0.85) ** 1.3 if late else rng.exponential(0.06))
        if start > 0.95:
            continue
        base = rng.uniform(2200, 6500)
        ratios = np.array([1, rng.uniform(1.45, 2.1), rng.uniform(2.5, 3.6), rng.uniform(4.0, 5.4)])
        decay = rng.uniform(0.01, 0.045)
        level = rng.uniform(0.25, 1.0) * (0.25 + 0.75 * np.exp(-start / 0.25))
        amps = np.array([1, 0.7, 0.45, 0.25]) * level
        ring = partials(n, start, base * ratios, decay / np.sqrt(ratios), amps)
        tick = shaped_noise(n, rng, 4000, 0) * envelope(n, start, 0.0002, 0.0012) * level * 0.5
        out += pan(0.3 * (ring + tick), rng.uniform(-0.8, 0.8))
    return fade_out(out, 0.05)


def burning():
    """A crackling fire, 3 s, built entirely from periodic parts (circular
    noise, crackles placed modulo the length, slow swells with a whole
    number of cycles), so the end runs into the start without a seam."""
    rng = np.random.default_rng(202)
    n = samples(3.0)
    t = times(n)
    period = n / SR

    def swell(cycles, depth, phase):
        return 1 + depth * np.sin(2 * np.pi * cycles * t / period + phase)

    roar_env = swell(1, 0.15, 0.3) * swell(3, 0.12, 1.7) * swell(7, 0.08, 4.0)
    out = np.zeros((n, 2))
    for side in (-0.6, 0.6):
        roar = shaped_noise(n, rng, 60, 600, order=1, tilt=-3)
        hiss = shaped_noise(n, rng, 2500, 9000)
        out += pan(0.05 * roar * roar_env + 0.008 * hiss * swell(5, 0.4, side), side)

    def place(sig, start, p):
        """Add a short event at start (in samples), wrapping past the end."""
        idx = (start + np.arange(len(sig))) % n
        np.add.at(out, idx, pan(sig, p))

    def tick(level):
        length = samples(0.004)
        tt = times(length)
        f = rng.uniform(1500, 7000)
        sig = np.sin(2 * np.pi * f * tt) * np.exp(-tt / rng.uniform(0.0003, 0.0012))
        sig += 0.8 * rng.standard_normal(length) * np.exp(-tt / 0.0003)
        return level * sig * np.cos(np.linspace(0, np.pi / 2, length))

    # crackles come in little clusters, heavy-tailed in loudness
    for _ in range(int(18 * period)):
        centre = int(rng.integers(0, n))
        p = rng.uniform(-0.8, 0.8)
        loud = min(1.0, 0.12 * rng.pareto(1.8) + 0.06)
        for _ in range(int(rng.integers(1, 9))):
            at = centre + samples(rng.exponential(0.012))
            place(tick(loud * rng.uniform(0.3, 1.0)), at, p + rng.uniform(-0.15, 0.15))
    # pops: wood splitting, a few per second, lower and fuller
    for _ in range(int(2.5 * period)):
        length = samples(0.05)
        tt = times(length)
        f = rng.uniform(350, 1300)
        body = partials(length, 0, [f, f * 2.3, f * 3.9], [0.006, 0.004, 0.003], [1, 0.5, 0.3])
        snap = rng.standard_normal(length) * np.exp(-tt / 0.002)
        pop = (body + 0.8 * snap) * rng.uniform(0.3, 0.7)
        pop *= np.cos(np.linspace(0, np.pi / 2, length)) ** 2
        place(pop, int(rng.integers(0, n)), rng.uniform(-0.6, 0.6))
    # squash the rare loudest pops so the bed and the crackle carry the loop
    ref = np.percentile(np.abs(out), 99.9)
    return np.tanh(0.8 * out / ref)


def zippo():
    """A flip-top lighter opened: the bright clink of the lid on its hinge,
    the rasp of the flint wheel, the soft whump of the wick catching."""
    rng = np.random.default_rng(303)
    n = samples(0.85)
    out = np.zeros((n, 2))
    # lid: a short click then a thin metallic ring
    lid = partials(n, 0.0, [2950, 4420, 6130, 8350, 10400],
                   [0.07, 0.05, 0.035, 0.02, 0.012], [1, 0.8, 0.55, 0.35, 0.2])
    lid += 0.9 * shaped_noise(n, rng, 2000, 0) * envelope(n, 0, 0.0002, 0.0015)
    hinge = partials(n, 0.018, [3650, 5800], [0.03, 0.02], [0.35, 0.25])
    out += pan(0.8 * (lid + hinge), 0.1)
    # flint wheel: gritty rasp, many tiny grains
    start, dur = 0.26, 0.08
    grains = np.zeros(n)
    for _ in range(60):
        at = samples(start + rng.uniform(0, dur))
        grains[at] += rng.uniform(0.3, 1.0) * rng.choice([-1, 1])
    kernel = np.exp(-times(samples(0.002)) / 0.0004)
    grit = np.convolve(grains, kernel)[:n]
    grit = band_filter(grit, 1800, 9000)
    rasp = shaped_noise(n, rng, 2500, 8000) * envelope(n, start, 0.01, 0.03, hold=dur - 0.02)
    out += pan(1.2 * grit / (np.abs(grit).max() + 1e-9) + 0.25 * rasp, -0.1)
    # wick catching: low breathy whump and a short hiss
    whump = shaped_noise(n, rng, 70, 500, tilt=-2) * envelope(n, 0.33, 0.04, 0.12)
    hiss = shaped_noise(n, rng, 1500, 6000) * envelope(n, 0.33, 0.02, 0.06)
    out += stereo(0.55 * whump + 0.12 * hiss)
    return fade_out(out, 0.08)


def m4():
    """One rifle shot, 0.22 s: a hard crack, a low boom with a falling
    pitch, the bolt's clack, and a short decaying tail. Nearly all the
    energy lands in the first 80 ms so shots can follow every 5 frames."""
    rng = np.random.default_rng(404)
    n = samples(0.22)
    t = times(n)
    out = np.zeros((n, 2))
    crack = shaped_noise(n, rng, 800, 16000) * envelope(n, 0, 0.0003, 0.006)
    boom_freq = 48 + 90 * np.exp(-t / 0.012)
    boom = np.sin(2 * np.pi * np.cumsum(boom_freq) / SR) * envelope(n, 0, 0.001, 0.035)
    low = shaped_noise(n, rng, 50, 400) * envelope(n, 0, 0.001, 0.028)
    body = shaped_noise(n, rng, 300, 3500) * envelope(n, 0.001, 0.001, 0.018)
    clack = partials(n, 0.012, [2600, 4100, 5700], [0.006, 0.004, 0.003], [1, 0.7, 0.4])
    mono = 1.0 * crack + 0.9 * boom + 0.7 * low + 0.6 * body + 0.12 * clack
    out += stereo(soft_clip(mono, 2.5))
    for side in (-0.7, 0.7):
        tail = shaped_noise(n, rng, 150, 2000, tilt=-2) * envelope(n, 0.008, 0.01, 0.04)
        out += pan(0.22 * tail, side)
    return fade_out(out, 0.06)


def eq_ham():
    """Picking up a hammer: a brush of the hand on the handle, then the
    head knocks and rings briefly as it is lifted."""
    rng = np.random.default_rng(505)
    n = samples(0.45)
    out = np.zeros((n, 2))
    rustle = shaped_noise(n, rng, 800, 5000) * envelope(n, 0.0, 0.025, 0.02)
    out += stereo(0.18 * rustle)
    knock = partials(n, 0.06, [185, 410, 690], [0.045, 0.03, 0.02], [1, 0.6, 0.3])
    knock += 0.5 * shaped_noise(n, rng, 200, 3000) * envelope(n, 0.06, 0.0005, 0.006)
    ring = partials(n, 0.06, [1870, 3090, 4720, 6610], [0.16, 0.1, 0.06, 0.035], [0.5, 0.4, 0.25, 0.12])
    tap = partials(n, 0.2, [1870, 3090, 4720], [0.08, 0.05, 0.03], [0.18, 0.14, 0.08])
    tap += partials(n, 0.2, [185, 410], [0.03, 0.02], [0.3, 0.15])
    out += pan(knock + ring + tap, 0.1)
    return fade_out(out, 0.05)


def eq_m4():
    """The rifle made ready: the charging handle pulled back with a click
    and a slide, then the bolt slamming home."""
    rng = np.random.default_rng(606)
    n = samples(0.5)
    out = np.zeros((n, 2))

    def clack(at, freqs, decay, level, thunk_f):
        sig = partials(n, at, freqs, [decay / (1 + i * 0.5) for i in range(len(freqs))],
                       [1, 0.8, 0.6, 0.4, 0.25][: len(freqs)])
        sig += 0.8 * shaped_noise(n, rng, 1500, 0) * envelope(n, at, 0.0002, 0.002)
        sig += partials(n, at, [thunk_f, thunk_f * 2.1], [0.02, 0.012], [0.9, 0.4])
        return level * sig

    back = clack(0.0, [2250, 3720, 5310, 7400], 0.014, 0.6, 330)
    slide = shaped_noise(n, rng, 1200, 6000) * envelope(n, 0.012, 0.05, 0.03, hold=0.04)
    home = clack(0.2, [1620, 2870, 4430, 6780, 8900], 0.028, 1.0, 230)
    out += pan(back + 0.12 * slide, -0.15) + pan(home, 0.1)
    return fade_out(out, 0.06)


def click():
    """A short dry UI click."""
    rng = np.random.default_rng(707)
    n = samples(0.06)
    tick = partials(n, 0, [2200, 5100], [0.004, 0.002], [1, 0.4])
    body = partials(n, 0, [520], [0.006], [0.6])
    snap = shaped_noise(n, rng, 2000, 0) * envelope(n, 0, 0.0001, 0.0006)
    return fade_out(stereo(tick + body + 0.6 * snap), 0.02)


def cry(phonemes, voice, pitch, length, contour, vib_rate, vib_depth, jitter,
        tremolo, drive, rasp, attack, release, seed):
    """A vowel from espeak-ng bent into a cry: contour(u), u running 0..1
    over the cry, gives the pitch factor, with vibrato and jitter on top;
    then a tremolo, an envelope, gentle saturation and a little breath
    noise for roughness."""
    rng = np.random.default_rng(seed)
    src, rate = espeak(phonemes, voice, pitch, speed=80)
    n = samples(length)
    u = np.linspace(0, 1, n)
    ratio = contour(u) * wobble(n, rng, vib_rate, vib_depth, jitter)
    src = sustain(src, rate, np.sum(ratio) / SR + 0.05)
    v = bend(src, rate, ratio)
    if len(v) < n:
        raise SystemExit(f"espeak-ng gave too short a vowel for {phonemes}")
    v = band_filter(v[:n], 150, 7000)
    v /= np.abs(v).max()
    breath = band_filter(rng.standard_normal(n), 1200, 4500)
    breath *= np.abs(v) / (np.sqrt(np.mean(breath ** 2)) + 1e-12)
    t = times(n)
    trem = 1 - tremolo * (0.5 + 0.5 * np.sin(2 * np.pi * (vib_rate * 1.6) * t))
    env = np.minimum(1, t / attack) * np.clip((length - t) / release, 0, 1) ** 1.5
    return stereo(soft_clip((v + rasp * breath) * trem * env, drive))


def death():
    """A soldier on fire: a strained scream that rises, wavers and falls."""
    return cry("[[A::::::::::::]]", "en-us+klatt", 99, 0.85,
               lambda u: 1.55 + 0.35 * np.sin(np.pi * np.minimum(u / 0.45, 1) / 2) - 0.6 * np.clip(u - 0.5, 0, 1),
               vib_rate=7.0, vib_depth=0.045, jitter=0.015, tremolo=0.3, drive=1.6, rasp=0.12,
               attack=0.04, release=0.4, seed=808)


def die():
    """A dying groan: low, falling, trailing off."""
    return cry("[[V::::::::::::]]", "en-us+klatt3", 30, 0.75,
               lambda u: 1.45 - 0.35 * u,
               vib_rate=4.5, vib_depth=0.02, jitter=0.03, tremolo=0.2, drive=1.4, rasp=0.15,
               attack=0.06, release=0.45, seed=909)


def hi():
    """A short yelp of a soldier struck down."""
    return cry("[[hA::::::]]", "en-us+klatt", 99, 0.3,
               lambda u: 1.7 + 0.35 * np.sin(np.pi * np.minimum(u / 0.3, 1) / 2) - 0.4 * u,
               vib_rate=9.0, vib_depth=0.02, jitter=0.01, tremolo=0.1, drive=1.5, rasp=0.08,
               attack=0.012, release=0.16, seed=111)


def sword():
    """Blade on blade: a bright steel clang, a dense splash of inharmonic
    partials that thins out to a few slowly beating ones."""
    rng = np.random.default_rng(1212)
    n = samples(0.7)
    f0 = 1180
    ratios = np.array([1, 1.93, 2.76, 3.41, 4.52, 5.40, 6.62, 8.93])
    decays = np.array([0.38, 0.2, 0.26, 0.09, 0.12, 0.06, 0.04, 0.03])
    amps = np.array([1, 0.55, 0.75, 0.5, 0.45, 0.4, 0.3, 0.2])
    out = pan(partials(n, 0, f0 * ratios, decays, amps), -0.2)
    out += pan(partials(n, 0, f0 * ratios * 1.0045, decays, amps * 0.8), 0.2)
    splash = shaped_noise(n, rng, 2000, 12000) * envelope(n, 0, 0.0002, 0.025)
    hit = shaped_noise(n, rng, 800, 16000) * envelope(n, 0, 0.0002, 0.003)
    thud = partials(n, 0, [310], [0.02], [0.6])
    out += stereo(1.4 * hit + 0.35 * splash + thud)
    return fade_out(out, 0.1)


def sword2():
    """A second clang, lower and harsher, with a scrape of steel first."""
    rng = np.random.default_rng(1313)
    n = samples(0.75)
    t = times(n)
    out = np.zeros((n, 2))
    scrape = shaped_noise(n, rng, 3000, 11000) * envelope(n, 0.0, 0.04, 0.02, hold=0.02)
    scrape *= 1 + 0.6 * np.sin(2 * np.pi * 90 * t)
    out += pan(0.25 * scrape, 0.3)
    at = 0.07
    f0 = 860
    ratios = np.array([1, 1.58, 2.17, 2.94, 3.71, 4.33, 5.05, 6.8, 8.1])
    decays = np.array([0.36, 0.3, 0.2, 0.14, 0.09, 0.07, 0.05, 0.035, 0.025])
    amps = np.array([1, 0.8, 0.65, 0.55, 0.45, 0.4, 0.3, 0.25, 0.2])
    out += pan(partials(n, at, f0 * ratios, decays, amps, glide=0.01), 0.25)
    out += pan(partials(n, at, f0 * ratios * 0.9965, decays, amps * 0.8, glide=0.01), -0.25)
    hit = shaped_noise(n, rng, 1000, 14000) * envelope(n, at, 0.0002, 0.005)
    splash = shaped_noise(n, rng, 1500, 9000) * envelope(n, at, 0.0005, 0.03)
    out += stereo(1.3 * hit + 0.35 * splash + partials(n, at, [240], [0.025], [0.7]))
    return fade_out(out, 0.1)


SOUNDS = {
    "glassbreak.wav": glassbreak,
    "burning.wav": burning,
    "zippo.wav": zippo,
    "M4.wav": m4,
    "eqHam.wav": eq_ham,
    "eqM4.wav": eq_m4,
    "click.wav": click,
    "death.wav": death,
    "sword.wav": sword,
    "sword2.wav": sword2,
    "die.wav": die,
    "hi.wav": hi,
}


def to_pcm(x, loop=False, peak_db=PEAK_DB):
    """Take out DC and subsonic rumble, scale the peak to peak_db, and
    quantise to 16-bit. A one-shot is padded with silence for the filter
    and its last 5 ms faded to exactly zero; a loop is filtered circularly."""
    if loop:
        x = np.stack([band_filter(c, 25, 0) for c in x.T], axis=1)
    else:
        pad = samples(0.25)
        padded = np.concatenate([np.zeros((pad, 2)), x, np.zeros((pad, 2))])
        x = np.stack([band_filter(c, 25, 0) for c in padded.T], axis=1)[pad:-pad]
        x = fade_out(x, 0.005)
    x *= 10 ** (peak_db / 20) / np.abs(x).max()
    return np.round(x * 32767).astype("<i2")


def wav_bytes(pcm):
    """Canonical 44-byte-header WAV: RIFF/WAVE, 16-byte PCM fmt, data."""
    data = pcm.tobytes()
    fmt = struct.pack("<HHIIHH", 1, 2, SR, SR * 4, 4, 16)
    return (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
            + b"fmt " + struct.pack("<I", 16) + fmt
            + b"data" + struct.pack("<I", len(data)) + data)


def main():
    OUT_DIR.mkdir(parents=True, exist_ok=True)
    for name, make in SOUNDS.items():
        peak = QUIETER_PEAK_DB.get(name, PEAK_DB)
        pcm = to_pcm(make(), loop=make is burning, peak_db=peak)
        (OUT_DIR / name).write_bytes(wav_bytes(pcm))
        print(f"wrote {OUT_DIR / name} ({len(pcm) / SR:.3f} s)")


if __name__ == "__main__":
    main()
