#include "tools/host/VisDataGenerator.h"

#include <cmath>
#include <cstring>

namespace host {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 576;

unsigned char SignedByte(double value) {
    const long rounded = std::lround(value);
    const long clamped = rounded < -127 ? -127 : (rounded > 127 ? 127 : rounded);
    return static_cast<unsigned char>(static_cast<signed char>(clamped));
}

void FillWaveform(unsigned char* samples, int channel, double seconds, int sampleRate) {
    const double frequency = channel == 0 ? 220.0 : 330.0;
    const double envelope = 0.65 + 0.35 * std::sin(2.0 * kPi * 0.5 * seconds);
    for (int i = 0; i < kSamples; ++i) {
        const double t = seconds + static_cast<double>(i) / sampleRate;
        samples[i] = SignedByte(110.0 * envelope * std::sin(2.0 * kPi * frequency * t));
    }
}

void FillSpectrum(unsigned char* bins, int channel, double seconds) {
    const double peakBin = channel == 0 ? 6.0 : 9.0;
    const double pulse = 0.75 + 0.25 * std::sin(2.0 * kPi * 2.0 * seconds);
    for (int i = 0; i < kSamples; ++i) {
        const double distance = (i - peakBin) / 24.0;
        const double level = 250.0 * pulse * std::exp(-distance * distance) + 12.0 * std::exp(-i / 150.0);
        const long value = std::lround(level);
        bins[i] = static_cast<unsigned char>(value > 255 ? 255 : value);
    }
}

}  // namespace

void GenerateVisData(winampVisModule& module, int positionMs, bool playing) {
    if (!playing) {
        std::memset(module.waveformData, 0, sizeof(module.waveformData));
        std::memset(module.spectrumData, 0, sizeof(module.spectrumData));
        return;
    }
    const int sampleRate = module.sRate > 0 ? module.sRate : 44100;
    const double seconds = positionMs / 1000.0;
    for (int channel = 0; channel < 2; ++channel) {
        FillWaveform(module.waveformData[channel], channel, seconds, sampleRate);
        FillSpectrum(module.spectrumData[channel], channel, seconds);
    }
}

}  // namespace host
