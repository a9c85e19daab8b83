// The log line of the track manager: "(h:nn) message", handed to a sink that the
// window shows later. Workers and the GUI thread log alike; the sink decides how a
// line reaches the GUI thread.
#pragma once

#include <functional>
#include <string>

// "(9:05) Mobile updated!" for 9 hours 5 minutes.
std::string FormatLogLine(int hour, int minute, const std::string& message);

class TManagerLog {
public:
    using TSink = std::function<void(const std::string& line)>;

    TManagerLog() = default;
    explicit TManagerLog(TSink sink) : sink_(std::move(sink)) {}
    void SetSink(TSink sink) { sink_ = std::move(sink); }

    // Formats the message with the local time and hands the line to the sink.
    void AddLog(const std::string& message) const;

private:
    TSink sink_;
};
