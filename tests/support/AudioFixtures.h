// Small audio files made by the tests themselves: a WAV of a tone, and an M4A (AAC)
// encoded from it through the codec calls.
#pragma once

#include <string>

namespace BvTest {

// A temporary folder, removed with everything in it when the object goes.
class TAudioFixtureFolder {
public:
    TAudioFixtureFolder();
    ~TAudioFixtureFolder();
    TAudioFixtureFolder(const TAudioFixtureFolder&) = delete;
    TAudioFixtureFolder& operator=(const TAudioFixtureFolder&) = delete;
    // Linux path of a file in the folder.
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The program's Windows form of a Linux path.
std::string WindowsPathOf(const std::string& linuxPath);

// A 16-bit PCM WAV: a sine with a little deterministic noise, so that an encoder has
// real work and spends the bits it is given.
void WriteSineWav(const std::string& linuxPath, double seconds, int sampleRate = 44100,
                  int channels = 2, double frequency = 440.0);

// An M4A file of about the given length, AAC at the given CBR bitrate.
void WriteM4aFixture(const std::string& linuxPath, double seconds, int bitrateKbps = 128);

std::string ReadWholeFile(const std::string& linuxPath);
void WriteWholeFile(const std::string& linuxPath, const std::string& bytes);

} // namespace BvTest
