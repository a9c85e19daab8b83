// Block-wise copy of a track file onto the card with progress, cancel and the source's
// modification time. The source is only read. The copy is written under a temporary
// name beside the destination and renamed over it when complete, so a destination
// that is already there keeps its bytes until then; a copy that is stopped or fails
// removes only its temporary file.
#pragma once

#include "ManagerLog.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct TFileCopyOptions {
    // Percent done after every block, 0 to 100.
    std::function<void(int percent)> Progress;
    // The run's stop flag, checked after every block; when non-zero the copy stops there.
    const std::atomic<uint8_t>* Cancel = nullptr;
    // The destination's folder is opened from its drive's root without following a
    // link (a card's folders): a link on the way raises ELinkRefused, and a link at
    // the destination is replaced, never written through.
    bool StayOnDrive = false;
};

enum class TFileCopyResult { Completed, Cancelled };

constexpr size_t FileCopyBlockSize = 0x20000;
// A copy in progress is named this prefix and 16 hex digits, beside its destination.
inline constexpr std::string_view CopyTemporaryPrefix = ".bvcopy-";

// Copies source to destination (Windows-form paths). Copying a file onto itself (the same
// text or the same file by identity) raises EInOutError "Copy error"; every other failure
// raises EInOutError naming the file.
TFileCopyResult CopyConvertedFile(const std::string& source, const std::string& destination,
                                  const TFileCopyOptions& options);

// The same copy; a completed one logs the destination followed by copiedText.
TFileCopyResult CopyTrackFile(const std::string& source, const std::string& destination,
                              const TFileCopyOptions& options, const TManagerLog& log,
                              const std::string& copiedText = " was successfully copied");
