// The convert worker and the external encoder: re-encodes the tracks above the
// bitrate limit (to MP3 with the encoder, or to M4A through WAV and the codec
// calls) in a private folder made for the run, then copies the result to the card.
#include "TrackManagerUpdateState.h"

#include "BvCoreUtils.h"
#include "BvID3v2.h"
#include "BvReadStream.h"
#include "CodecGate.h"
#include "Dispatcher.h"
#include "DriveSpace.h"
#include "Files.h"
#include "Placeholders.h"
#include "RtFileUtils.h"
#include "SafeFiles.h"
#include "TrackFileCopy.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <limits>

namespace {

constexpr std::string_view EncodeFailedName = "encode_failed";
constexpr std::string_view ConvertFileFailedName = "convert_file_failed";
constexpr std::string_view CardAbsentName = "card_absent";
constexpr std::string_view FileMissingName = "file_missing";
constexpr std::string_view EncoderExitName = "encoder_exit";
constexpr std::string_view NoLongerMusicName = "no_longer_music";
constexpr std::string_view EncodedTooShortName = "encoded_too_short";

std::string LowerAscii(std::string s) {
    return LowerCase(s);
}

std::string SecondsText(int64_t ms) {
    const int64_t hundredths = ms % 1000 / 10;
    return IntToStr(ms / 1000) + (hundredths < 10 ? ".0" : ".") + IntToStr(hundredths);
}

} // namespace

std::vector<std::string> SplitArgumentTemplate(const std::string& text) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false, any = false;
    for (char c : text) {
        if (c == '"') {
            inQuotes = !inQuotes;
            any = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (any)
                args.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        args.push_back(current);
    return args;
}

std::vector<std::string> BuildEncoderArguments(const std::string& argumentTemplate,
                                               const TEncoderValues& v) {
    struct TArgumentPlaceholder {
        std::string_view Tag;
        const std::string* Value;
        bool NamesFile;
    };
    const TArgumentPlaceholder placeholders[] = {
        {"<bitrate>", &v.Bitrate, false}, {"<infile>", &v.InFile, true},
        {"<outdir>", &v.OutDir, true},    {"<outfile>", &v.OutFile, true},
        {"<artist>", &v.Artist, false},   {"<title>", &v.Title, false},
        {"<album>", &v.Album, false}};
    std::vector<std::string> args;
    for (const std::string& arg : SplitArgumentTemplate(argumentTemplate)) {
        if (LowerAscii(arg) == "<bitrate>") {
            // The bitrate is the program's own text, made of options and a number.
            for (const std::string& word : SplitArgumentTemplate(v.Bitrate))
                args.push_back(word);
            continue;
        }
        bool namesFile = false;
        std::string value =
            ExpandPlaceholders(arg, placeholders, [&](const TArgumentPlaceholder& p) {
                namesFile = namesFile || p.NamesFile;
                return *p.Value;
            });
        if (namesFile) {
            // "<outdir>\<outfile>" with a folder that ends in "\" would double it.
            std::string collapsed;
            for (char c : value)
                if (!(c == '\\' && !collapsed.empty() && collapsed.back() == '\\' &&
                      collapsed.size() > 2))
                    collapsed += c;
            value = ToLinuxPath(collapsed);
        }
        args.push_back(value);
    }
    return args;
}

std::string EncoderBitrateText(const TConvertSettings& settings) {
    if (settings.Cbr)
        return " -b " + settings.BitrateText;
    // lame's -V runs from 0 (best) to 9, the quality list from "lowest" to "ultra".
    if (settings.Vbr)
        return " -V " + IntToStr(std::clamp(7 - settings.VbrQuality, 0, 9));
    return {};
}

std::string EncoderProgramPath(const std::string& converter) {
    // The setting holds the edit's text, quoted when the path has a blank; the program is
    // the file that text names, as the edit's FileName reads it.
    std::string path = Trim(FileNameFromText(Trim(converter)));
    if (path.empty())
        return "lame";
    const std::string name = LowerCase(ExtractFileName(path));
    // The Windows default names a program that is not on this system; the encoder
    // installed with the program is the one in PATH.
    if ((name == "lame.exe" || name == "lame") && DriveLetterOf(path) && !FileExists(path))
        return "lame";
    return path;
}

std::string EncoderOutputProblem(const std::string& file, bool wav) {
    try {
        const std::unique_ptr<TBvReadStream> stream = OpenTagFile(file);
        uint8_t head[12] = {};
        const int64_t got = stream->Read(head, sizeof head);
        if (wav)
            return got == 12 && std::memcmp(head, "RIFF", 4) == 0 &&
                           std::memcmp(head + 8, "WAVE", 4) == 0
                       ? std::string()
                       : "no WAV header";
        const bool tagged = got >= 3 && std::memcmp(head, "ID3", 3) == 0;
        const bool sync = got >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0;
        if (!tagged && !sync)
            return "no ID3 tag and no MPEG frame at its start";
        stream->Seek(0);
        TBvID3v2 tag;
        tag.OpenStream(*stream);
        if (tag.FileInfo().FirstFrameOffset < 0 || tag.FileInfo().BitrateKbps <= 0)
            return "no MPEG frame";
        return {};
    } catch (const Exception& e) {
        return e.Message();
    }
}

bool TTrackManager::TUpdateState::RunConverter(const std::vector<std::string>& arguments) {
    {
        std::lock_guard<std::mutex> guard(EncoderLock);
        EncoderEnded = false;
        EncoderExitCode = 0;
        EncoderOutput.clear();
    }
    bool started = false;
    TBvChildWatch child;
    Synchronize([&] {
        BV_ASSERT_GUI_THREAD();
        if (Cancel || !*Alive)
            return;
        TBvCreateProcess& p = *BvCreateProcess1;
        p.OutputLines().Clear();
        p.ApplicationName = Convert.Encoder;
        p.Arguments.clear();
        p.Arguments.push_back(Convert.Encoder);
        p.Arguments.insert(p.Arguments.end(), arguments.begin(), arguments.end());
        p.ConsoleOptions = {TBvConsoleOption::coRedirect};
        p.OnRawRead = [this](TObject*, const std::string& block) { EncoderOutputRead(block); };
        p.Run();
        child = p.LastChild();
        EncoderPid = p.ProcessId();
        Owner.Model.ConverterRunning = 1;
        started = true;
        if (EncoderStarted)
            EncoderStarted();
    });
    if (!started)
        return false;
    bool ended;
    {
        std::unique_lock<std::mutex> lock(EncoderLock);
        EncoderChanged.wait(lock, [&] { return EncoderEnded || Cancel; });
        ended = EncoderEnded && !Cancel;
    }
    if (!ended) {
        // Stopped: the encoder's group ends with the run, and the run ends only once the
        // watcher has closed the encoder's descriptors and reaped it. The wait is bounded
        // so that a process the system cannot end at once never hangs the update.
        child.Kill(SIGKILL);
        child.WaitDone(10000);
    }
    return ended;
}

// The encoder writes its progress as "(42%)" again and again; the last one in a
// block is where it stands.
void TTrackManager::TUpdateState::EncoderOutputRead(const std::string& block) {
    int percent = -1;
    for (size_t close = block.find("%)"); close != std::string::npos;
         close = block.find("%)", close + 2)) {
        const size_t open = block.rfind('(', close);
        if (open == std::string::npos)
            continue;
        int32_t value = 0;
        if (TryStrToInt(Trim(block.substr(open + 1, close - open - 1)), value) && value >= 0 &&
            value <= 100)
            percent = value;
    }
    if (percent < 0 || !UpdateRunning)
        return;
    Progress2Pos = percent;
    ShowProgress();
}

void TTrackManager::TUpdateState::ThreadConvertExecute() {
    const TManagerMessages& msg = Texts;
    const std::string drive = std::string(1, PhoneDrive) + ":";
    const std::string cardAbsent = msg.Fmt(CardAbsentName, {drive});
    std::string failure;
    auto fail = [&](const std::string& text) {
        failure = text;
        PostLog(text);
    };
    PostProgress(TProgressBarId::Encode, 0, 0);
    for (size_t i = 0; i < ConvertJobs.size() && !Cancel; ++i)
        Post([](TTrackManager& m) {
            m.Update->ProgressAllMax += 100;
            m.Update->ShowProgress();
        });

    const std::string folder = Convert.TempFolder;
    const std::string tempMp3 = folder + "\\temp.mp3";
    const std::string tempWav = folder + "\\temp.wav";
    const std::string tempM4a = folder + "\\temp.m4a";
    auto clearTemp = [&] {
        for (const std::string* f : {&tempMp3, &tempWav, &tempM4a})
            if (FileExists(*f))
                DeleteFile(*f);
    };
    const std::string bitrate = EncoderBitrateText(Convert);
    int notEncoded = 0;

    auto checkEncoder = [&](const std::string& output) {
        uint32_t code;
        std::string text;
        {
            std::lock_guard<std::mutex> guard(EncoderLock);
            code = EncoderExitCode;
            text = EncoderOutput;
        }
        if (code != 0 || !FileExists(output) || GetSizeOfFile(output) <= 0)
            throw EBvException(msg.Fmt(EncoderExitName, {IntToStr(static_cast<int>(code)), text}));
        // An encoder that says it succeeded but wrote something else has failed too.
        const std::string problem = EncoderOutputProblem(output, output == tempWav);
        if (!problem.empty())
            throw EBvException(msg.Fmt("not_audio", {problem}));
    };

    for (const TConvertJob& job : ConvertJobs) {
        if (Cancel)
            break;
        if (!CardPresent()) {
            fail(cardAbsent);
            break;
        }
        const std::string name = ExtractFileName(job.Source);
        if (!FileExists(job.Source)) {
            PostLog(msg.Fmt(FileMissingName, {job.Source}));
            PostProgress(TProgressBarId::All, 100);
            ++notEncoded;
            continue;
        }
        // A source that is no music any more (overwritten, cut inside its header) would
        // still give the encoder something to chew on, and it would say it succeeded.
        const int64_t sourceMs = PlayingTimeMs(job.Source);
        if (sourceMs <= 0) {
            PostLog(msg.Fmt(NoLongerMusicName, {job.Source}));
            PostProgress(TProgressBarId::All, 100);
            ++notEncoded;
            continue;
        }
        std::string output;
        bool stopped = false;
        int64_t sourceSize = -1;
        try {
            sourceSize = GetSizeOfFile(job.Source);
        } catch (const Exception&) {
            // Gone meanwhile: the encoder reports it.
        }
        try {
            clearTemp();
            TEncoderValues values;
            values.InFile = job.Source;
            values.Artist = job.Artist;
            values.Title = job.Title;
            values.Album = job.Album;
            if (Convert.Format == 0) {
                values.Bitrate = bitrate;
                values.OutDir = folder;
                values.OutFile = "temp.mp3";
                const auto args = BuildEncoderArguments(Convert.EncodeTemplate, values);
                PostLog(msg.Fmt(MessageName::EncodingFile, {name}));
                stopped = !RunConverter(args);
                if (!stopped) {
                    checkEncoder(tempMp3);
                    PostLog(msg.Fmt(MessageName::WasConverted, {name}));
                    output = tempMp3;
                }
            } else {
                values.OutFile = tempWav;
                const auto args = BuildEncoderArguments(Convert.DecodeTemplate, values);
                PostLog(msg.Fmt(MessageName::DecodingFile, {name}));
                stopped = !RunConverter(args);
                if (!stopped) {
                    checkEncoder(tempWav);
                    PostLog(msg.Fmt(MessageName::EncodingFile, {name}));
                    TCodecConvertOptions options;
                    options.Mode = Convert.Cbr ? TCodecBitrateMode::Cbr : TCodecBitrateMode::Vbr;
                    options.BitrateKbps = StrToIntDef(Convert.BitrateText, 96);
                    options.VbrQualityIndex = Convert.VbrQuality;
                    options.HighQuality = Convert.HighQuality;
                    options.Cancel = &Cancel;
                    CodecGate::convert(tempWav, tempM4a, options);
                    output = tempM4a;
                }
            }
            if (!stopped) {
                // An encoder keeps the length within a frame or two; far less is an encoding
                // of damaged audio, however the encoder ended.
                const int64_t outputMs = std::max<int64_t>(0, PlayingTimeMs(output));
                if (sourceMs - outputMs > std::max<int64_t>(1000, sourceMs / 10))
                    throw EBvException(msg.Fmt(EncodedTooShortName,
                                               {SecondsText(outputMs), SecondsText(sourceMs)}));
            }
        } catch (const EOSError& e) {
            // The encoder cannot be started at all: no later track would fare better.
            fail(msg.Fmt(EncodeFailedName, {e.Message()}));
            break;
        } catch (const Exception& e) {
            if (Cancel)
                break;
            PostLog(msg.Fmt(ConvertFileFailedName, {name, e.Message()}));
            PostProgress(TProgressBarId::All, 100);
            ++notEncoded;
            continue;
        }
        if (stopped || Cancel)
            break;

        const int64_t size = GetSizeOfFile(output);
        const int64_t free = CardFree();
        if (!Space.Reserve(CheckSpace ? free : std::numeric_limits<int64_t>::max(), size)) {
            if (free < 0) {
                fail(cardAbsent);
                break;
            }
            PostSkippedForSpace(name, job.Serial);
            PostProgress(TProgressBarId::All, 100);
            ++notEncoded;
            continue;
        }
        PostLog(msg.Fmt(MessageName::CopyingFile, {name}));
        TFileCopyOptions options;
        options.Cancel = &Cancel;
        options.Progress = [&](int percent) { PostProgress(TProgressBarId::Encode, 0, percent); };
        options.StayOnDrive = true;
        std::string error;
        TFileCopyResult result = TFileCopyResult::Completed;
        try {
            result = CopyConvertedFile(output, job.Dest, options);
        } catch (const ELinkRefused& e) {
            error = msg.Fmt("link_refused", {e.Link});
        } catch (const Exception& e) {
            error = msg.Fmt(EncodeFailedName, {e.Message()});
        }
        Space.Release(size);
        if (!error.empty()) {
            fail(CardPresent() ? error : cardAbsent);
            break;
        }
        if (result == TFileCopyResult::Cancelled)
            break;
        if (!CardPresent() || GetSizeOfFile(job.Dest) != size) {
            fail(cardAbsent);
            break;
        }
        const uint64_t serial = job.Serial;
        const std::string dest = job.Dest;
        const std::string bitRate = Convert.BitrateText;
        // A source that changed since it was added has another length: the encoded copy
        // on the card tells it.
        std::string time;
        TTrackRowSnapshot fresh;
        if (sourceSize != job.ListedSize && ReadCardFileAgain(dest, fresh))
            time = fresh.Time;
        Post([serial, dest, bitRate, size, time](TTrackManager& m) {
            const int row = m.Model.RowOfSerial(serial);
            if (row < 0)
                return;
            auto& t = m.Model.TrackListHolder;
            TrackColumn(t, TTrackColumn::FileName).Put(row, dest);
            TrackColumn(t, TTrackColumn::BitRate).Put(row, bitRate);
            TrackColumn(t, TTrackColumn::Size).Put(row, IntToStr(size));
            if (!time.empty())
                TrackColumn(t, TTrackColumn::Time).Put(row, time);
        });
        clearTemp();
        PostProgress(TProgressBarId::All, 100);
    }
    clearTemp();
    const int total = static_cast<int>(ConvertJobs.size());
    Post([failure, notEncoded, total](TTrackManager& m) {
        auto& st = *m.Update;
        st.ConvertFilesFailed = notEncoded;
        st.ConvertFilesTotal = total;
        st.Progress2Pos = st.Progress2Max;
        if (!failure.empty()) {
            st.ConvertPassFailed = true;
            if (st.FailureText.empty())
                st.FailureText = failure;
        }
        st.ShowProgress();
    });
}
