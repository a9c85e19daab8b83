// Template texts with placeholders such as "<artist>". The display template, the
// upload names and the encoder's arguments each have their own placeholders and
// values; how a template is read is the same for all three.
#pragma once

#include <string>
#include <string_view>

// Whether the placeholder's text starts at `at`, in any letter case.
bool PlaceholderAt(std::string_view text, size_t at, std::string_view tag);

// A placeholder whose value is known before the template is read.
struct TPlaceholderValue {
    std::string_view Tag;
    std::string Value;
};

// The text with each placeholder of `placeholders` (entries with a Tag, matched in
// any letter case) replaced by value(entry); where two start at the same place the
// first listed wins. One pass, so a value that holds a placeholder's text stays as
// it is.
template <typename TTable, typename TValue>
std::string ExpandPlaceholders(std::string_view text, const TTable& placeholders,
                               const TValue& value) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        bool replaced = false;
        if (text[i] == '<') {
            for (const auto& p : placeholders) {
                if (!PlaceholderAt(text, i, p.Tag))
                    continue;
                out += value(p);
                i += p.Tag.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += text[i++];
    }
    return out;
}

// ExpandPlaceholders over values known in advance.
inline std::string ExpandPlaceholders(std::string_view text,
                                      std::initializer_list<TPlaceholderValue> placeholders) {
    return ExpandPlaceholders(
        text, placeholders,
        [](const TPlaceholderValue& p) -> const std::string& { return p.Value; });
}
