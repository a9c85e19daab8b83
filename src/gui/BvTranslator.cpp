#include "BvTranslator.h"

#include "BvSimpleXml.h"
#include "Classes.h"
#include "Forms.h"

#include <climits>

namespace {

// "\n" (backslash, n) is a line break; properties take only the first.
std::string LineBreaks(std::string text, bool all) {
    size_t pos = 0;
    while ((pos = text.find("\\n", pos)) != std::string::npos) {
        text.replace(pos, 2, "\r\n");
        pos += 2;
        if (!all)
            break;
    }
    return text;
}

} // namespace

// ---------------------------------------------------------------- TBvTranslatorStrings

const TClassInfo& TBvTranslatorStrings::StaticClassInfo() {
    static const TClassInfo info("TBvTranslatorStrings", &TComponent::StaticClassInfo(), {},
                                 "BvTranslator");
    return info;
}

TBvTranslatorStrings::TBvTranslatorStrings(TComponent* owner) : TComponent(owner) {}
TBvTranslatorStrings::~TBvTranslatorStrings() {
    Destroying();
}

void TBvTranslatorStrings::Add(const std::string& name, std::string& value) {
    entries_.push_back({name, &value});
}

int TBvTranslatorStrings::IndexOf(const std::string& name) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        if (AnsiSameText(entries_[i].first, name))
            return static_cast<int>(i);
    return -1;
}

void TBvTranslatorStrings::SetValue(int index, const std::string& text) {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    *entries_[static_cast<size_t>(index)].second = text;
}

// ---------------------------------------------------------------- TBvTranslator

const TClassInfo& TBvTranslator::StaticClassInfo() {
    static const TClassInfo info("TBvTranslator", &TComponent::StaticClassInfo(), {},
                                 "BvTranslator");
    return info;
}

TBvTranslator::TBvTranslator(TComponent* owner)
    : TComponent(owner), xml_(std::make_unique<TBvSimpleXML>()) {
    IgnoreProperty(TComponent::StaticClassInfo(), "Name");
}

TBvTranslator::~TBvTranslator() {
    Destroying();
}

void TBvTranslator::IgnoreClass(const TClassInfo& info) {
    for (auto& e : ignores_)
        if (e.Class == &info) {
            e.Props.clear();
            return;
        }
    ignores_.push_back({&info, {}});
}

void TBvTranslator::IgnoreProperty(const TClassInfo& info, const std::string& propName) {
    for (auto& e : ignores_)
        if (e.Class == &info) {
            if (!e.Props.empty())
                e.Props.push_back(propName);
            return;
        }
    ignores_.push_back({&info, {propName}});
}

bool TBvTranslator::IsIgnored(const TClassInfo& info, const std::string& propName) {
    for (size_t i = 0; i < ignores_.size(); ++i) {
        const TIgnore& e = ignores_[i];
        if (!info.InheritsFrom(*e.Class))
            continue;
        if (e.Props.empty()) {
            // A whole-class hit moves to the front; it is asked for most.
            if (i > 0) {
                TIgnore hit = e;
                ignores_.erase(ignores_.begin() + static_cast<long>(i));
                ignores_.insert(ignores_.begin(), hit);
            }
            return true;
        }
        if (!propName.empty())
            for (const auto& p : e.Props)
                if (SameText(p, propName))
                    return true;
    }
    return false;
}

void TBvTranslator::Translate(const std::string& fileName) {
    try {
        xml_->LoadFromFile(fileName);
        ApplyRoot();
    } catch (...) {
        // A missing or broken language file changes nothing and shows nothing.
    }
}

void TBvTranslator::TranslateText(const std::string& xml) {
    try {
        xml_->LoadFromString(xml);
        ApplyRoot();
    } catch (...) {
    }
}

void TBvTranslator::ApplyRoot() {
    if (Application)
        TranslateComponent(Application, &xml_->Root());
}

TBvSimpleXMLElem* TBvTranslator::ElementForName(TBvSimpleXMLElem* element, const std::string& name,
                                                bool recurse) {
    if (!element)
        element = &xml_->Root();
    if (AnsiSameText(element->Name(), name))
        return element;
    if (recurse) {
        for (int i = 0; i < element->ItemCount(); ++i)
            if (TBvSimpleXMLElem* found = ElementForName(element->Items().Item(i), name, true))
                return found;
        return nullptr;
    }
    return element->ItemCount() ? element->Items().ItemNamed(name) : nullptr;
}

void TBvTranslator::TranslateComponent(TComponent* component, TBvSimpleXMLElem* element) {
    if (!component || !element)
        return;
    if (component->ClassInfo().InheritsFrom("TBvTranslatorStrings")) {
        auto* strings = static_cast<TBvTranslatorStrings*>(component);
        for (int i = 0; i < element->ItemCount(); ++i) {
            TBvSimpleXMLElem* child = element->Items().Item(i);
            if (!child->PropertyCount())
                continue;
            int index = strings->IndexOf(child->Properties().Value("Name"));
            if (index >= 0)
                strings->SetValue(index, LineBreaks(child->Properties().Value("Value"), true));
        }
        return;
    }
    try {
        if (!IsIgnored(component->ClassInfo(), ""))
            ApplyAttributes(*component, element);
        for (int i = 0; i < element->ItemCount(); ++i) {
            TBvSimpleXMLElem* child = element->Items().Item(i);
            if (!dynamic_cast<TBvSimpleXMLElemClassic*>(child))
                continue;
            if (TComponent* owned = component->FindComponent(child->Name())) {
                TranslateComponent(owned, child);
                continue;
            }
            const TPropInfo* prop = component->ClassInfo().FindProp(child->Name());
            if (!prop || !prop->Translatable || IsIgnored(component->ClassInfo(), prop->Name))
                continue;
            if (prop->GetStrings) {
                if (TStrings* list = prop->GetStrings(*component))
                    ApplyList(*list, child);
            } else if (prop->GetObj) {
                if (TPersistent* object = prop->GetObj(*component))
                    ApplyAttributes(*object, child);
            }
        }
    } catch (...) {
        // The rest of this component is abandoned; its siblings still get their texts.
    }
}

void TBvTranslator::ApplyAttributes(TPersistent& object, TBvSimpleXMLElem* element) {
    for (int i = 0; i < element->PropertyCount(); ++i) {
        try {
            TBvSimpleXMLProp* attr = element->Properties().Item(i);
            const TPropInfo* prop = object.ClassInfo().FindProp(attr->Name());
            // Only texts the user reads: no number, switch or setting is reachable from here.
            if (!prop || !prop->Translatable || !prop->SetStr ||
                IsIgnored(object.ClassInfo(), prop->Name))
                continue;
            prop->SetStr(object, LineBreaks(attr->Value(), false));
        } catch (...) {
            // One failing attribute is skipped.
        }
    }
}

void TBvTranslator::ApplyList(TStrings& list, TBvSimpleXMLElem* element) {
    if (element->ItemCount() > 0 &&
        dynamic_cast<TBvSimpleXMLElemCData*>(element->Items().Item(0))) {
        list.SetText(element->Items().Item(0)->Value());
        return;
    }
    for (int i = 0; i < element->ItemCount(); ++i) {
        TBvSimpleXMLElem* child = element->Items().Item(i);
        if (!dynamic_cast<TBvSimpleXMLElemClassic*>(child))
            continue;
        int64_t index =
            child->PropertyCount() ? child->Properties().IntValue("Index", INT_MAX) : INT_MAX;
        // A non-numeric index reads as -1, which the list refuses and so ends this component.
        if (index < list.Count())
            list.Put(static_cast<int>(index),
                     child->PropertyCount() ? child->Properties().Value("Value", "") : "");
    }
}
