#include "CodecGate.h"

#include "Drives.h"
#include "M4aEncoder.h"
#include "M4aFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace CodecGate {

namespace {

// Native AAC encoder quality per position of the list, "lowest" to "ultra"; about
// 60 to 250 kbit/s for stereo music.
constexpr double VbrScales[VbrQualityCount] = {0.25, 0.4, 0.55, 0.7, 0.9, 1.2, 1.6, 2.0};

std::string Unquote(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// Removes the file when the conversion did not complete.
class TPartialFile {
public:
    explicit TPartialFile(std::string path) : path_(std::move(path)) {}
    ~TPartialFile() {
        if (!path_.empty())
            unlink(path_.c_str());
    }
    TPartialFile(const TPartialFile&) = delete;
    TPartialFile& operator=(const TPartialFile&) = delete;
    const std::string& Path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

} // namespace

std::string CodecLinuxPath(const std::string& fileName) {
    return ToLinuxPath(Unquote(fileName));
}

double VbrQualityScale(int index) {
    return VbrScales[std::clamp(index, 0, VbrQualityCount - 1)];
}

namespace {

TM4aFile LoadM4a(const std::string& fileName) {
    std::string name = Unquote(fileName);
    std::string linux;
    try {
        linux = CodecLinuxPath(name);
    } catch (const EInOutError& e) {
        throw ECodecGateError(e.Message());
    }
    TM4aFile file;
    file.LoadFromFile(linux, name);
    return file;
}

} // namespace

int32_t gettime(const std::string& fileName) {
    return LoadM4a(fileName).LengthSeconds();
}

int64_t gettimems(const std::string& fileName) {
    return LoadM4a(fileName).LengthMilliseconds();
}

void convert(const std::string& source, const std::string& target,
             const TCodecConvertOptions& options) {
    std::string sourceName = Unquote(source);
    std::string targetName = Unquote(target);
    if (options.Mode == TCodecBitrateMode::Cbr &&
        (options.BitrateKbps < 8 || options.BitrateKbps > 512))
        throw ECodecGateError(Format("Cannot convert %s: bitrate %d kbps is out of range",
                                     {sourceName, options.BitrateKbps}));
    std::string linuxSource, linuxTarget;
    try {
        linuxSource = CodecLinuxPath(sourceName);
        linuxTarget = CodecLinuxPath(targetName);
    } catch (const EInOutError& e) {
        throw ECodecGateError(e.Message());
    }
    struct stat st {};
    if (stat(linuxSource.c_str(), &st) != 0)
        throw ECodecGateError(Format("Cannot open %s: %s", {sourceName, std::strerror(errno)}));
    if (!S_ISREG(st.st_mode))
        throw ECodecGateError(Format("%s is not a file", {sourceName}));

    // The target appears only when complete: a caller that judges the conversion by the
    // file's existence never takes a partial one.
    std::string pattern = linuxTarget + ".XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0)
        throw ECodecGateError(Format("Cannot create %s: %s", {targetName, std::strerror(errno)}));
    fchmod(fd, 0644);
    close(fd);
    TPartialFile partial(pattern);
    EncodeWavToM4a(linuxSource, partial.Path(), sourceName, options);
    if (rename(partial.Path().c_str(), linuxTarget.c_str()) != 0)
        throw ECodecGateError(Format("Cannot create %s: %s", {targetName, std::strerror(errno)}));
    partial.Keep();
}

} // namespace CodecGate
