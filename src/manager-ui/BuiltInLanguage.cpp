// The language file of the windows' built-in texts, written with the XML writer's escaping so
// that the translator reads back exactly what the windows hold.
#include "LanguageFiles.h"

#include "BvSimpleXml.h"
#include "BvTranslator.h"
#include "Forms.h"
#include "TrackManager.h"

#include <algorithm>

namespace {

// The component's texts a language file sets, as attributes; empty when it has none.
std::string TextAttributes(TBvTranslator& rules, const TComponent& component) {
    std::string attributes;
    for (const char* name : {"Caption", "Hint"}) {
        const TPropInfo* prop = component.ClassInfo().FindProp(name);
        if (!prop || !prop->GetStr || !prop->SetStr || rules.IsIgnored(component.ClassInfo(), name))
            continue;
        const std::string value = prop->GetStr(component);
        // A property takes one line break from a language file; longer texts keep their own.
        if (value.empty() || value.find('\n') != std::string::npos ||
            value.find('\r') != std::string::npos)
            continue;
        attributes += ' ';
        attributes += name;
        attributes += "=\"";
        attributes += SimpleXMLEncodeEntity(value);
        attributes += '"';
    }
    return attributes;
}

} // namespace

std::string BuiltInLanguageText(const std::vector<TCustomForm*>& windows,
                                const TTrackManager& manager,
                                const std::vector<std::string_view>& messageNames,
                                const std::vector<const TComponent*>& dataLabels) {
    TBvTranslator rules(nullptr);
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Language>\r\n";
    for (size_t w = 0; w < windows.size(); ++w) {
        const TCustomForm& window = *windows[w];
        xml += "  <" + window.Name() + TextAttributes(rules, window) + ">\r\n";
        for (int i = 0; i < window.ComponentCount(); ++i) {
            const TComponent& c = *window.Components(i);
            if (c.Name().empty() ||
                std::find(dataLabels.begin(), dataLabels.end(), &c) != dataLabels.end())
                continue;
            const std::string attributes = TextAttributes(rules, c);
            if (!attributes.empty())
                xml += "    <" + c.Name() + attributes + "/>\r\n";
        }
        if (w == 0 && !messageNames.empty()) {
            xml += "    <Variables>\r\n";
            for (std::string_view name : messageNames)
                xml += "      <Item Name=\"" + SimpleXMLEncodeEntity(std::string(name)) +
                       "\" Value=\"" + SimpleXMLEncodeEntity(manager.Messages.DefaultText(name)) +
                       "\"/>\r\n";
            xml += "    </Variables>\r\n";
        }
        xml += "  </" + window.Name() + ">\r\n";
    }
    return xml + "</Language>\r\n";
}
