#include "GenSounds.h"

#include "SampleData.h"

#include "WavWriter.h"

#include <algorithm>
#include <cmath>

namespace gen
{

namespace
{

constexpr double kPi = 3.14159265358979323846;

using Wave = std::vector<float>;

class Noise
{
public:
    explicit Noise(uint32_t seed) : m_state(seed ? seed : 1) {}
    float Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return float(int32_t(m_state)) / 2147483648.0f;
    }
    float Uniform(float low, float high) { return low + (high - low) * (Next() * 0.5f + 0.5f); }

private:
    uint32_t m_state;
};

Wave Silence(double seconds)
{
    return Wave(size_t(seconds * kSoundRate), 0.0f);
}

size_t At(double seconds)
{
    return size_t(std::max(0.0, seconds) * kSoundRate);
}

// A sine sweeping from f0 to f1 with a quick attack and an exponential decay.
void AddChirp(Wave& out, double start, double length, double f0, double f1, float amp, double decay = 6.0)
{
    double phase = 0.0;
    const size_t first = At(start);
    const size_t count = At(length);
    for (size_t i = 0; i < count && first + i < out.size(); ++i)
    {
        const double t = double(i) / kSoundRate;
        const double f = f0 + (f1 - f0) * (t / length);
        phase += 2.0 * kPi * f / kSoundRate;
        const double attack = std::min(1.0, t / 0.004);
        out[first + i] += float(amp * attack * std::exp(-decay * t / length) * std::sin(phase));
    }
}

// Noise with a one-pole low-pass and an exponential decay.
void AddNoise(Wave& out, Noise& noise, double start, double length, float amp, double cutoff, double decay)
{
    const float a = float(1.0 - std::exp(-2.0 * kPi * cutoff / kSoundRate));
    float state = 0.0f;
    const size_t first = At(start);
    const size_t count = At(length);
    for (size_t i = 0; i < count && first + i < out.size(); ++i)
    {
        const double t = double(i) / kSoundRate;
        state += a * (noise.Next() - state);
        const double attack = std::min(1.0, t / 0.003);
        out[first + i] += float(amp * attack * std::exp(-decay * t / length)) * state;
    }
}

// A low-pass run twice round the wave, so that a loop's end flows into its start.
void LowPassLoop(Wave& wave, double cutoff)
{
    const float a = float(1.0 - std::exp(-2.0 * kPi * cutoff / kSoundRate));
    float state = 0.0f;
    for (int pass = 0; pass < 2; ++pass)
    {
        for (float& sample : wave)
        {
            state += a * (sample - state);
            if (pass == 1)
                sample = state;
        }
    }
}

// Engine: firing pulses at the given rate (Hz), rich in harmonics, with exhaust noise.
void AddMotor(Wave& out, Noise& noise, double start, double length, double f0, double f1, float amp)
{
    double phase = 0.0;
    const size_t first = At(start);
    const size_t count = At(length);
    for (size_t i = 0; i < count && first + i < out.size(); ++i)
    {
        const double t = double(i) / kSoundRate;
        const double f = f0 + (f1 - f0) * (t / length);
        phase += f / kSoundRate;
        const double p = phase - std::floor(phase);
        // A sharp pulse per firing with a decaying ring after it.
        const double pulse = std::exp(-p * 9.0) * std::sin(2.0 * kPi * p * 3.0);
        const double body = 0.5 * std::sin(2.0 * kPi * phase) + 0.25 * std::sin(4.0 * kPi * phase + 0.7);
        out[first + i] += float(amp * (0.6 * pulse + 0.4 * body + 0.15 * noise.Next() * (1.0 - p)));
    }
}

std::vector<int16_t> ToPcm(const Wave& wave, float peak)
{
    float largest = 1e-6f;
    for (float sample : wave)
        largest = std::max(largest, std::fabs(sample));
    const float scale = peak * 32767.0f / largest;
    std::vector<int16_t> pcm(wave.size());
    for (size_t i = 0; i < wave.size(); ++i)
        pcm[i] = int16_t(std::lround(std::clamp(wave[i] * scale, -32767.0f, 32767.0f)));
    return pcm;
}

// Fades the first and last few milliseconds of one-shot sounds to avoid clicks at the edges.
Wave Faded(Wave wave, double seconds = 0.01)
{
    const size_t n = std::min(At(seconds), wave.size() / 2);
    for (size_t i = 0; i < n; ++i)
    {
        const float g = float(i) / float(n);
        wave[i] *= g;
        wave[wave.size() - 1 - i] *= g;
    }
    return wave;
}

Wave Click(uint32_t seed, double pitch)
{
    Noise noise(seed);
    Wave wave = Silence(0.06);
    AddNoise(wave, noise, 0.0, 0.02, 0.8f, 6000.0, 5.0);
    AddChirp(wave, 0.0, 0.05, pitch, pitch * 0.7, 0.6f, 7.0);
    return Faded(wave, 0.002);
}

// Firing rate of each running level of the outboard, whole hertz so one second loops.
double MotorRate(int level)
{
    return 22.0 + 9.0 * level;
}

Wave MotorLoop(int level)
{
    Noise noise(100 + uint32_t(level));
    Wave wave = Silence(1.0);
    AddMotor(wave, noise, 0.0, 1.0, MotorRate(level), MotorRate(level), 1.0f);
    LowPassLoop(wave, 1800.0 + 250.0 * level);
    return wave;
}

Wave MotorTransition(int from, int to)
{
    Noise noise(200 + uint32_t(from * 8 + to));
    Wave wave = Silence(0.8);
    AddMotor(wave, noise, 0.0, 0.8, MotorRate(from), MotorRate(to), 1.0f);
    LowPassLoop(wave, 2200.0);
    return Faded(wave, 0.005);
}

Wave MotorStart()
{
    Noise noise(300);
    Wave wave = Silence(1.6);
    // The starter cranks three times, then the motor catches and settles to idle.
    for (int i = 0; i < 3; ++i)
        AddMotor(wave, noise, 0.12 * i, 0.1, 9.0, 11.0, 0.35f);
    AddMotor(wave, noise, 0.4, 1.2, 40.0, MotorRate(0), 1.0f);
    return Faded(wave);
}

Wave TrollingLoop()
{
    Wave wave = Silence(1.0);
    Noise noise(400);
    // An electric whine with its harmonics, and a little water churn.
    for (int h = 1; h <= 4; ++h)
        AddChirp(wave, 0.0, 1.0, 310.0 * h, 310.0 * h, 0.5f / float(h), 0.0);
    Wave churn = Silence(1.0);
    for (float& s : churn)
        s = 0.25f * noise.Next();
    LowPassLoop(churn, 700.0);
    for (size_t i = 0; i < wave.size(); ++i)
        wave[i] += churn[i];
    return wave;
}

Wave Thud(uint32_t seed, double pitch, double scrape)
{
    Noise noise(seed);
    Wave wave = Silence(0.5 + scrape);
    AddChirp(wave, 0.0, 0.35, pitch, pitch * 0.5, 1.0f, 5.0);
    AddNoise(wave, noise, 0.0, 0.15, 0.6f, 900.0, 4.0);
    if (scrape > 0)
        AddNoise(wave, noise, 0.05, scrape, 0.35f, 2500.0, 1.5);
    return Faded(wave);
}

Wave BirdSong(uint32_t seed, double seconds)
{
    Noise noise(seed);
    Wave wave = Silence(seconds);
    double t = 0.1;
    while (t < seconds - 0.3)
    {
        const double base = noise.Uniform(2200.0f, 4200.0f);
        const int notes = 2 + int(noise.Uniform(0.0f, 4.0f));
        for (int n = 0; n < notes; ++n)
        {
            AddChirp(wave, t, 0.08, base * 1.25, base * 0.85, 0.5f, 3.0);
            t += 0.11;
        }
        t += noise.Uniform(0.3f, 0.9f);
    }
    return Faded(wave);
}

Wave Loon()
{
    Wave wave = Silence(2.5);
    double phase = 0.0;
    for (size_t i = 0; i < wave.size(); ++i)
    {
        const double t = double(i) / kSoundRate;
        // A rising wail that holds with a slow vibrato, then falls away.
        const double f = 600.0 + 300.0 * std::min(1.0, t / 0.5) + 25.0 * std::sin(2.0 * kPi * 5.5 * t) -
                         200.0 * std::max(0.0, t - 1.8);
        phase += 2.0 * kPi * f / kSoundRate;
        const double env = std::min(1.0, t / 0.15) * std::min(1.0, (2.5 - t) / 0.6);
        wave[i] = float(env * (std::sin(phase) + 0.2 * std::sin(2.0 * phase)));
    }
    return wave;
}

Wave WaterLapping(uint32_t seed, double seconds, float drops)
{
    Noise noise(seed);
    Wave wave = Silence(seconds);
    for (float& s : wave)
        s = noise.Next();
    LowPassLoop(wave, 450.0);
    // Slow swells: whole cycles over the length, so a looping file has no seam.
    const double cycles = std::max(1.0, std::round(seconds / 1.7));
    for (size_t i = 0; i < wave.size(); ++i)
        wave[i] *= float(0.6 + 0.4 * std::sin(2.0 * kPi * cycles * double(i) / double(wave.size())));
    const int count = int(seconds * drops);
    for (int i = 0; i < count; ++i)
    {
        const double start = noise.Uniform(0.0f, float(seconds - 0.2));
        const double pitch = noise.Uniform(700.0f, 1600.0f);
        AddChirp(wave, start, 0.06, pitch, pitch * 1.6, 0.35f, 5.0);
    }
    return wave;
}

Wave Rain(double seconds)
{
    Noise noise(500);
    Wave wave = Silence(seconds);
    for (float& s : wave)
        s = noise.Next() * 0.4f;
    LowPassLoop(wave, 5000.0);
    for (int i = 0; i < int(seconds * 60); ++i)
    {
        const double start = noise.Uniform(0.0f, float(seconds - 0.05));
        AddNoise(wave, noise, start, 0.02, 0.5f, 8000.0, 6.0);
    }
    return wave;
}

Wave Wind(double seconds)
{
    Noise noise(600);
    Wave wave = Silence(seconds);
    for (float& s : wave)
        s = noise.Next();
    LowPassLoop(wave, 350.0);
    for (size_t i = 0; i < wave.size(); ++i)
    {
        const double x = double(i) / double(wave.size());
        wave[i] *= float(0.55 + 0.3 * std::sin(2.0 * kPi * 2.0 * x) + 0.15 * std::sin(2.0 * kPi * 5.0 * x));
    }
    return wave;
}

Wave Thunder()
{
    Noise noise(700);
    Wave wave = Silence(4.0);
    AddNoise(wave, noise, 0.0, 0.3, 1.0f, 1200.0, 3.0);
    AddNoise(wave, noise, 0.1, 3.8, 1.2f, 160.0, 3.5);
    AddNoise(wave, noise, 0.9, 2.0, 0.6f, 90.0, 3.0);
    return Faded(wave);
}

Wave Underwater(uint32_t seed, double seconds, int bubbles)
{
    Noise noise(seed);
    Wave wave = Silence(seconds);
    for (float& s : wave)
        s = noise.Next();
    LowPassLoop(wave, 180.0);
    for (int i = 0; i < bubbles; ++i)
    {
        const double start = noise.Uniform(0.0f, float(seconds - 0.1));
        const double pitch = noise.Uniform(300.0f, 900.0f);
        AddChirp(wave, start, 0.05, pitch, pitch * 2.2, 0.4f, 4.0);
    }
    return wave;
}

Wave Splash(uint32_t seed, double size)
{
    Noise noise(seed);
    Wave wave = Silence(0.4 + 0.5 * size);
    AddNoise(wave, noise, 0.0, 0.25 + 0.3 * size, 1.0f, 2500.0, 4.0);
    AddNoise(wave, noise, 0.02, 0.35 + 0.4 * size, 0.6f, 600.0, 3.0);
    for (int i = 0; i < 6; ++i)
    {
        const double pitch = noise.Uniform(500.0f, 1300.0f);
        AddChirp(wave, 0.08 + 0.05 * i, 0.07, pitch, pitch * 1.8, 0.25f, 4.0);
    }
    return Faded(wave, 0.003);
}

void Mix(Wave& out, const Wave& more, double start, double gain = 1.0)
{
    const size_t first = At(start);
    for (size_t i = 0; i < more.size() && first + i < out.size(); ++i)
        out[first + i] += float(more[i] * gain);
}

} // namespace

// Peaks, as parts of full scale. The pack's sounds play at full volume side by side with the
// lake ambience's stream: a click over that ambience on the set-up screens, and at a day's start
// the outboard, rain, wind and thunder over it, must stay under full scale together. The
// player's own outboard is the loudest thing on the water; weather and wildlife sit under it.
constexpr float kClickPeak = 0.35f;
constexpr float kMotorPeak = 0.45f;
constexpr float kKnockPeak = 0.3f;
constexpr float kTrollingPeak = 0.14f;
constexpr float kBirdPeak = 0.3f;
constexpr float kLoonPeak = 0.12f;
constexpr float kRainPeak = 0.25f;
constexpr float kWindPeak = 0.2f;
constexpr float kThunderPeak = 0.35f;
constexpr float kUnderwaterPeak = 0.3f;
constexpr float kFarBoatPeak = 0.25f;
constexpr float kAeratorPeak = 0.35f;
constexpr float kLakeAmbiencePeak = 0.45f;
// A final weigh-in opens with this sound on the ambience and with the same sound as its clip's
// soundtrack, started together: the two add up sample by sample, at full volume each.
constexpr float kReelSpinPeak = 0.4f;

std::vector<PackSound> MakePackSounds()
{
    std::vector<PackSound> sounds;
    auto add = [&sounds](uint32_t id, const Wave& wave, float peak) { sounds.push_back({id, ToPcm(wave, peak)}); };
    // Button clicks: 6183 the usual one, 6187 the toggles, 6188 back and quit; the others
    // complete the range the screens draw from.
    const double clickPitch[] = {1800.0, 1500.0, 2100.0, 1300.0, 2400.0, 1100.0};
    for (uint32_t i = 0; i < 6; ++i)
        add(6183 + i, Click(10 + i, clickPitch[i]), kClickPeak);
    for (int level = 1; level <= 7; ++level)
        add(6016 + uint32_t(level), MotorTransition(level - 1, level), kMotorPeak);
    add(6024, MotorTransition(1, 0), kMotorPeak);
    for (int level = 1; level <= 6; ++level)
        add(6024 + uint32_t(level), MotorTransition(level + 1, level), kMotorPeak);
    for (int level = 0; level <= 7; ++level)
        add(6031 + uint32_t(level), MotorLoop(level), kMotorPeak);
    add(6039, MotorStart(), kMotorPeak);
    add(6040, Thud(41, 140.0, 0.0), kKnockPeak);
    // The electric trolling motor hums well under the outboard.
    add(6046, TrollingLoop(), kTrollingPeak);
    add(6189, Thud(42, 90.0, 0.6), kKnockPeak);
    // Weather and lake channels: birds, a loon, rain, thunder, wind, underwater, a far boat.
    add(6047, BirdSong(51, 2.0), kBirdPeak);
    add(6050, BirdSong(52, 1.6), kBirdPeak);
    add(6051, BirdSong(53, 2.4), kBirdPeak);
    add(6052, BirdSong(54, 1.2), kBirdPeak);
    // A loon calls from across the lake, about as loud as the birds.
    add(6054, Loon(), kLoonPeak);
    add(6066, Rain(4.0), kRainPeak);
    add(6068, Thunder(), kThunderPeak);
    add(6062, Underwater(61, 4.0, 10), kUnderwaterPeak);
    add(6053, Underwater(62, 1.5, 14), kUnderwaterPeak);
    add(6045, Underwater(63, 1.0, 6), kUnderwaterPeak);
    add(6063, Wind(4.0), kWindPeak);
    Wave farBoat = Silence(3.0);
    Noise noise(64);
    AddMotor(farBoat, noise, 0.0, 3.0, 70.0, 64.0, 1.0f);
    LowPassLoop(farBoat, 500.0);
    for (size_t i = 0; i < farBoat.size(); ++i)
        farBoat[i] *= float(std::sin(kPi * double(i) / double(farBoat.size())));
    // A boat across the lake stays under the player's own idling outboard.
    add(6059, farBoat, kFarBoatPeak);
    add(6070, Splash(65, 0.5), kKnockPeak);
    // The livewell's aerator, looped while its screen is open.
    add(435, Underwater(66, 3.0, 40), kAeratorPeak);
    return sounds;
}

std::vector<int16_t> MakeLakeAmbience(double seconds)
{
    Wave wave = WaterLapping(70, seconds, 1.5f);
    Mix(wave, BirdSong(71, seconds), 0.0, 0.35);
    return ToPcm(wave, kLakeAmbiencePeak);
}

std::vector<int16_t> MakeFishFight(double seconds)
{
    Wave wave = WaterLapping(80, seconds, 0.5f);
    Noise noise(81);
    for (double t = 0.2; t < seconds - 1.0; t += noise.Uniform(0.6f, 1.4f))
        Mix(wave, Splash(82 + uint32_t(t * 10), noise.Uniform(0.2f, 1.0f)), t, 1.6);
    // The drag's ratchet while the fish runs.
    for (double t = 0.5; t < seconds - 0.1; t += 0.035)
    {
        Wave tick = Silence(0.01);
        AddNoise(tick, noise, 0.0, 0.01, 0.5f, 7000.0, 8.0);
        Mix(wave, tick, t, 0.5 + 0.5 * std::sin(t * 2.0));
    }
    return ToPcm(wave, 0.7f);
}

std::vector<int16_t> MakeReelSpin(double seconds)
{
    Wave wave = Silence(seconds);
    Noise noise(90);
    // Handle turns: a gear whirr rising and falling with each crank, and the pawl's clicks.
    double phase = 0.0;
    for (size_t i = 0; i < wave.size(); ++i)
    {
        const double t = double(i) / kSoundRate;
        const double speed = 0.7 + 0.3 * std::sin(2.0 * kPi * 1.5 * t);
        phase += 2.0 * kPi * 180.0 * speed / kSoundRate;
        wave[i] = float(0.25 * std::sin(phase) * (0.6 + 0.4 * std::sin(phase * 0.25)) + 0.08 * noise.Next());
    }
    for (double t = 0.0; t < seconds - 0.02; t += 0.045)
    {
        Wave tick = Silence(0.012);
        AddNoise(tick, noise, 0.0, 0.012, 0.6f, 6000.0, 8.0);
        Mix(wave, tick, t);
    }
    return ToPcm(Faded(wave), kReelSpinPeak);
}

void GenerateSounds(Context& context)
{
    context.WriteBytes("Ambient/aud06.wav", tools::WriteWAV(MakeLakeAmbience(8.0), kSoundRate, 1));
    context.WriteBytes("Ambient/fishfght.wav", tools::WriteWAV(MakeFishFight(6.0), kSoundRate, 1));
    context.WriteBytes("Ambient/spin.wav", tools::WriteWAV(MakeReelSpin(4.0), kSoundRate, 1));
}

} // namespace gen
