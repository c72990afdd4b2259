#include "agSounds.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "agCanvas.h"

namespace ag {

namespace {

constexpr double kRate = SOUND_RATE;
// Loudness every sound is brought to, and the ceiling of its peaks.
constexpr double kTargetDb = -22.0;
constexpr double kCeilingDb = -1.0;

std::vector<float> Silence(double seconds) { return std::vector<float>(size_t(seconds * kRate), 0.0f); }

// A second-order filter (the usual cookbook forms).
class Biquad {
public:
    static Biquad LowPass(double hz, double q = 0.707) { return Make(hz, q, 0); }
    static Biquad HighPass(double hz, double q = 0.707) { return Make(hz, q, 1); }
    static Biquad BandPass(double hz, double q) { return Make(hz, q, 2); }
    float Run(float x)
    {
        double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return float(y);
    }

private:
    static Biquad Make(double hz, double q, int kind)
    {
        double w = 2 * M_PI * hz / kRate, c = std::cos(w), a = std::sin(w) / (2 * q);
        double b0, b1, b2;
        if (kind == 0) b0 = (1 - c) / 2, b1 = 1 - c, b2 = (1 - c) / 2;
        else if (kind == 1) b0 = (1 + c) / 2, b1 = -(1 + c), b2 = (1 + c) / 2;
        else b0 = a, b1 = 0, b2 = -a;
        double a0 = 1 + a;
        Biquad f;
        f.b0_ = b0 / a0, f.b1_ = b1 / a0, f.b2_ = b2 / a0;
        f.a1_ = -2 * c / a0, f.a2_ = (1 - a) / a0;
        return f;
    }
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// A dry snap of filtered noise with a quick attack and an exponential
// decay, mixed into out at a start time.
void Snap(std::vector<float>& out, double start, double decay, double low, double high, double gain, uint64_t seed)
{
    Random rnd(seed);
    Biquad hp = Biquad::HighPass(low), lp = Biquad::LowPass(high), lp2 = Biquad::LowPass(high);
    size_t first = size_t(start * kRate), length = size_t(decay * 8 * kRate);
    for (size_t i = 0; i < length && first + i < out.size(); ++i) {
        double t = double(i) / kRate;
        double env = std::min(1.0, t / 0.0008) * std::exp(-t / decay);
        float noise = float(rnd.Range(-1, 1));
        out[first + i] += float(gain * env) * lp2.Run(lp.Run(hp.Run(noise)));
    }
}

// A sine whose pitch may glide, with a soft attack and exponential decay.
void Tone(std::vector<float>& out, double start, double seconds, double hz, double endHz, double attack,
          double decay, double gain, double harmonic = 0.0)
{
    size_t first = size_t(start * kRate), length = size_t(seconds * kRate);
    double phase = 0;
    for (size_t i = 0; i < length && first + i < out.size(); ++i) {
        double t = double(i) / kRate;
        double f = hz + (endHz - hz) * (t / seconds);
        phase += 2 * M_PI * f / kRate;
        double env = std::min(1.0, t / attack) * std::exp(-t / decay);
        double release = std::min(1.0, (seconds - t) / 0.01);  // no click at the end
        out[first + i] += float(gain * env * release * (std::sin(phase) + harmonic * std::sin(2 * phase)));
    }
}

// A bell: a few inharmonic partials that die away at their own rates.
void Bell(std::vector<float>& out, double start, double hz, double gain)
{
    Tone(out, start, 0.9, hz, hz, 0.002, 0.35, gain);
    Tone(out, start, 0.5, hz * 2.76, hz * 2.76, 0.002, 0.12, gain * 0.25);
    Tone(out, start, 0.3, hz * 5.4, hz * 5.4, 0.002, 0.05, gain * 0.1);
}

std::vector<float> CardPlay()
{
    auto s = Silence(0.06);
    Snap(s, 0.002, 0.006, 1200, 7000, 1.0, 11);
    Tone(s, 0.002, 0.03, 210, 150, 0.001, 0.008, 0.25);
    return s;
}

std::vector<float> Trick()
{
    auto s = Silence(0.2);
    Snap(s, 0.002, 0.009, 400, 3000, 1.0, 21);
    Snap(s, 0.085, 0.009, 400, 3000, 0.75, 22);
    Tone(s, 0.002, 0.04, 160, 120, 0.002, 0.012, 0.3);
    Tone(s, 0.085, 0.04, 160, 120, 0.002, 0.012, 0.22);
    return s;
}

std::vector<float> Dealing()
{
    // A ripple of snaps that loops: the spacing wraps round the end.
    auto s = Silence(0.64);
    Random rnd(41);
    for (int i = 0; i < 8; ++i) {
        double at = 0.005 + i * 0.08 + rnd.Range(-0.008, 0.008);
        Snap(s, at, 0.005, 1500, 8000, rnd.Range(0.7, 1.0), 42 + uint64_t(i));
    }
    return s;
}

std::vector<float> Button()
{
    auto s = Silence(0.035);
    Snap(s, 0.001, 0.0015, 2500, 9000, 0.6, 51);
    Tone(s, 0.001, 0.03, 2100, 1900, 0.0005, 0.006, 0.6);
    return s;
}

std::vector<float> Achieve()
{
    auto s = Silence(1.3);
    const double notes[3] = {1046.5, 1318.5, 1568.0};  // rising C, E, G
    for (int i = 0; i < 3; ++i) Bell(s, 0.01 + i * 0.13, notes[i], 0.5);
    return s;
}

std::vector<float> Alert()
{
    auto s = Silence(0.6);
    Tone(s, 0.01, 0.22, 740, 740, 0.02, 0.15, 0.6, 0.08);
    Tone(s, 0.22, 0.36, 988, 988, 0.02, 0.18, 0.6, 0.08);
    return s;
}

std::vector<float> Firework()
{
    auto s = Silence(1.4);
    Snap(s, 0.005, 0.12, 80, 1800, 1.0, 61);
    Tone(s, 0.005, 0.25, 70, 45, 0.004, 0.08, 0.5);
    Random rnd(62);
    for (int i = 0; i < 24; ++i) {  // crackle in the tail
        double at = rnd.Range(0.08, 1.1);
        Snap(s, at, 0.002, 2000, 9000, 0.25 * std::exp(-at / 0.5), 63 + uint64_t(i));
    }
    return s;
}

std::vector<float> Thump()
{
    auto s = Silence(0.16);
    Tone(s, 0.002, 0.15, 120, 65, 0.002, 0.04, 1.0);
    Snap(s, 0.002, 0.003, 200, 1500, 0.3, 71);
    return s;
}

double Db(double v) { return v > 0 ? 20 * std::log10(v) : -200.0; }

}  // namespace

const std::vector<SoundSpec>& SoundSpecs()
{
    // Resource ids 1..8 in order.
    static const std::vector<SoundSpec> specs = {
        {"Firework.wav", Firework}, {"Cardplay.wav", CardPlay}, {"Trick.wav", Trick},
        {"Dealing.mp3", Dealing},   {"Button.wav", Button},     {"Achieve.wav", Achieve},
        {"Alert.mp3", Alert},       {"Thump.wav", Thump},
    };
    return specs;
}

SoundLevels Measure(const std::vector<float>& samples)
{
    SoundLevels l;
    const size_t window = size_t(0.05 * kRate);
    double sum = 0, best = 0, peak = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        sum += double(samples[i]) * samples[i];
        if (i >= window) sum -= double(samples[i - window]) * samples[i - window];
        best = std::max(best, sum);
        peak = std::max(peak, double(std::fabs(samples[i])));
    }
    l.loudness = Db(std::sqrt(std::max(0.0, best) / double(window)));
    l.peak = Db(peak);
    return l;
}

SoundLevels Normalise(std::vector<float>& samples)
{
    SoundLevels before = Measure(samples);
    double gain = std::pow(10.0, (kTargetDb - before.loudness) / 20);
    double ceiling = std::pow(10.0, (kCeilingDb - before.peak) / 20);
    gain = std::min(gain, ceiling);
    for (float& v : samples) v = float(v * gain);
    return Measure(samples);
}

std::vector<uint8_t> EncodeWav(const std::vector<float>& samples)
{
    std::vector<uint8_t> w;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) w.push_back(uint8_t(v >> (8 * i))); };
    auto u16 = [&](uint32_t v) { w.push_back(uint8_t(v)); w.push_back(uint8_t(v >> 8)); };
    const uint32_t bytes = uint32_t(samples.size() * 2);
    w.insert(w.end(), {'R', 'I', 'F', 'F'});
    u32(36 + bytes);
    w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(SOUND_RATE);
    u32(SOUND_RATE * 2);
    u16(2);
    u16(16);
    w.insert(w.end(), {'d', 'a', 't', 'a'});
    u32(bytes);
    for (float v : samples) {
        long q = std::lround(std::clamp(double(v), -1.0, 1.0) * 32767.0);
        u16(uint32_t(uint16_t(int16_t(q))));
    }
    return w;
}

std::vector<uint8_t> EncodeMp3(const std::vector<float>& samples)
{
    lame_global_flags* lame = lame_init();
    if (!lame) throw std::runtime_error("LAME does not start");
    lame_set_in_samplerate(lame, SOUND_RATE);
    lame_set_out_samplerate(lame, SOUND_RATE);
    lame_set_num_channels(lame, 1);
    lame_set_mode(lame, MONO);
    lame_set_brate(lame, 96);
    lame_set_quality(lame, 2);
    lame_set_bWriteVbrTag(lame, 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        throw std::runtime_error("LAME refuses its settings");
    }
    std::vector<short> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        pcm[i] = short(std::lround(std::clamp(double(samples[i]), -1.0, 1.0) * 32767.0));
    std::vector<uint8_t> out(size_t(1.25 * double(pcm.size()) + 7200 + 7200));
    int n = lame_encode_buffer(lame, pcm.data(), pcm.data(), int(pcm.size()), out.data(), int(out.size()));
    int m = n >= 0 ? lame_encode_flush(lame, out.data() + n, int(out.size()) - n) : -1;
    lame_close(lame);
    if (n < 0 || m < 0) throw std::runtime_error("MP3 encoding failed");
    out.resize(size_t(n + m));
    return out;
}

std::vector<uint8_t> MakeSound(const SoundSpec& spec, SoundLevels* levels)
{
    std::vector<float> samples = spec.synthesise();
    SoundLevels l = Normalise(samples);
    if (levels) *levels = l;
    std::string name = spec.file;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mp3") == 0) return EncodeMp3(samples);
    return EncodeWav(samples);
}

}  // namespace ag
