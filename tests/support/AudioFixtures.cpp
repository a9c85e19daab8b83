#include "AudioFixtures.h"

#include "CodecGate.h"
#include "Drives.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace BvTest {

namespace {

void Put16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

} // namespace

TAudioFixtureFolder::TAudioFixtureFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "bv-audio-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TAudioFixtureFolder::~TAudioFixtureFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string WindowsPathOf(const std::string& linuxPath) {
    return ToWindowsPath(linuxPath);
}

void WriteSineWav(const std::string& linuxPath, double seconds, int sampleRate, int channels,
                  double frequency) {
    const uint32_t frames = static_cast<uint32_t>(std::lround(seconds * sampleRate));
    const uint32_t dataBytes = frames * static_cast<uint32_t>(channels) * 2;
    std::string out = "RIFF";
    Put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, static_cast<uint16_t>(channels));
    Put32(out, static_cast<uint32_t>(sampleRate));
    Put32(out, static_cast<uint32_t>(sampleRate * channels * 2));
    Put16(out, static_cast<uint16_t>(channels * 2));
    Put16(out, 16);
    out += "data";
    Put32(out, dataBytes);
    out.reserve(out.size() + dataBytes);
    uint32_t noise = 12345;
    const double pi = std::acos(-1.0);
    for (uint32_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            double hiss = (static_cast<double>(noise >> 8) / (1u << 24) - 0.5) * 0.2;
            double tone = 0.5 * std::sin(2 * pi * frequency * (c + 1) * i / sampleRate);
            Put16(out, static_cast<uint16_t>(static_cast<int16_t>(
                           std::lround(std::clamp(tone + hiss, -1.0, 1.0) * 32000))));
        }
    }
    WriteWholeFile(linuxPath, out);
}

void WriteM4aFixture(const std::string& linuxPath, double seconds, int bitrateKbps) {
    std::string wav = linuxPath + ".source.wav";
    WriteSineWav(wav, seconds);
    TCodecConvertOptions options;
    options.Mode = TCodecBitrateMode::Cbr;
    options.BitrateKbps = bitrateKbps;
    try {
        CodecGate::convert(WindowsPathOf(wav), WindowsPathOf(linuxPath), options);
    } catch (...) {
        std::filesystem::remove(wav);
        throw;
    }
    std::filesystem::remove(wav);
}

std::string ReadWholeFile(const std::string& linuxPath) {
    std::ifstream in(linuxPath, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + linuxPath);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteWholeFile(const std::string& linuxPath, const std::string& bytes) {
    std::ofstream out(linuxPath, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + linuxPath);
}

} // namespace BvTest
