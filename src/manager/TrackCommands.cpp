#include "TrackCommands.h"

#include <array>

std::string_view CommandName(TCommand command) {
    static constexpr std::array names = {
#define BV_COMMAND_NAME(name) std::string_view(#name),
        BV_TRACK_COMMANDS(BV_COMMAND_NAME)
#undef BV_COMMAND_NAME
    };
    const auto index = static_cast<size_t>(command);
    return index < names.size() ? names[index] : std::string_view("?");
}
