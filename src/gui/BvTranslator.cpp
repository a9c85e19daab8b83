#include "BvTranslator.h"

#include "BvSimpleXml.h"
#include "Classes.h"
#include "Collections.h"
#include "ComCtrls.h"
#include "Files.h"
#include "Forms.h"
#include "Menus.h"
#include "RtRTTI.h"
#include "ScopeExit.h"
#include "StdCtrls.h"

#include <algorithm>
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

std::string Attribute(TBvSimpleXMLElem* element, std::string_view name) {
    return element->PropertyCount() ? element->Properties().Value(name, "") : std::string();
}

int64_t IntAttribute(TBvSimpleXMLElem* element, std::string_view name, int64_t fallback) {
    return element->PropertyCount() ? element->Properties().IntValue(name, fallback) : fallback;
}

// Containers are known by class name, walking the parents, as the framework's are.
bool IsA(const TPersistent* object, std::string_view className) {
    return object && object->ClassInfo().InheritsFrom(className);
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
    // The values of settings: what the user typed or chose stays what it is, whatever
    // language is chosen (the encoder's path and arguments, every option).
    for (const char* prop : {"Checked", "ItemIndex", "State"})
        IgnoreProperty(TPersistent::StaticClassInfo(), prop);
    for (const char* prop : {"Text", "Caption", "Lines", "EditMask"})
        IgnoreProperty(TCustomEdit::StaticClassInfo(), prop);
    for (const char* prop : {"Text", "Caption"})
        IgnoreProperty(TCustomComboBox::StaticClassInfo(), prop);
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
    warning_.clear();
    try {
        xml_->LoadFromFile(fileName);
        ApplyRoot(ExtractFileName(fileName));
    } catch (...) {
        // A missing or broken language file changes nothing and shows nothing.
    }
}

void TBvTranslator::TranslateText(const std::string& xml) {
    warning_.clear();
    try {
        // The file's bytes, read in the encoding its declaration names, as from the file.
        TMemoryStream stream;
        stream.WriteBuffer(xml.data(), static_cast<int64_t>(xml.size()));
        stream.SetPosition(0);
        xml_->LoadFromStream(stream);
        ApplyRoot("the language text");
    } catch (...) {
        // A broken language text changes nothing and shows nothing, as a broken file does.
    }
}

void TBvTranslator::ApplyRoot(const std::string& source) {
    source_ = source;
    cut_.clear();
    path_.clear();
    if (Application)
        TranslateComponent(Application, &xml_->Root());
    path_.clear();
    if (cut_.empty())
        return;
    // One message for the file, each text named once; a long list ends with a count.
    constexpr size_t kListed = 12;
    warning_ = Format("The language file %s has texts longer than %d characters; only their "
                      "first %d characters are used:",
                      {source_, static_cast<int>(MaxTextLength), static_cast<int>(MaxTextLength)});
    for (size_t i = 0; i < cut_.size() && i < kListed; ++i)
        warning_ += "\r\n" + cut_[i];
    if (cut_.size() > kListed)
        warning_ += Format("\r\n... and %d more.", {static_cast<int>(cut_.size() - kListed)});
}

std::string TBvTranslator::Bounded(const std::string& text, const std::string& property) {
    // Characters, not bytes: the cut never splits one.
    size_t chars = 0, at = 0;
    while (at < text.size() && chars < MaxTextLength) {
        ++chars;
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    if (at >= text.size())
        return text;
    std::string name;
    for (const std::string& part : path_)
        name += part + ".";
    // A list entry's index follows its list's name: "Items[3]".
    if (!name.empty() && !property.empty() && property[0] == '[')
        name.pop_back();
    name += property;
    const std::string key = source_ + "|" + name;
    if (std::find(reported_.begin(), reported_.end(), key) == reported_.end()) {
        reported_.push_back(key);
        cut_.push_back(name);
    }
    return text.substr(0, at);
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
    // The application object is the walk's root and takes no part in a name.
    const bool named = component != Application;
    if (named)
        path_.push_back(component->Name().empty() ? element->Name() : component->Name());
    TScopeExit leave([this, named] {
        if (named && !path_.empty())
            path_.pop_back();
    });
    if (component->ClassInfo().InheritsFrom("TBvTranslatorStrings")) {
        auto* strings = static_cast<TBvTranslatorStrings*>(component);
        for (int i = 0; i < element->ItemCount(); ++i) {
            TBvSimpleXMLElem* child = element->Items().Item(i);
            if (!child->PropertyCount())
                continue;
            const std::string name = child->Properties().Value("Name");
            int index = strings->IndexOf(name);
            if (index >= 0)
                strings->SetValue(
                    index, LineBreaks(Bounded(child->Properties().Value("Value"), name), true));
        }
        return;
    }
    try {
        if (!IsIgnored(component->ClassInfo(), ""))
            ApplyProperties(component, element);
        for (int i = 0; i < element->ItemCount(); ++i) {
            TBvSimpleXMLElem* child = element->Items().Item(i);
            if (!dynamic_cast<TBvSimpleXMLElemClassic*>(child))
                continue;
            if (TComponent* owned = component->FindComponent(child->Name())) {
                TranslateComponent(owned, child);
                continue;
            }
            const TPropInfo* prop = component->ClassInfo().FindProp(child->Name());
            if (!Settable(*component, prop))
                continue;
            path_.push_back(child->Name());
            TScopeExit leaveProperty([this] { path_.pop_back(); });
            if (prop->GetStrings) {
                if (TStrings* list = prop->GetStrings(*component))
                    ApplyList(*list, child);
                continue;
            }
            // A property that holds no object (a text, a number) names no object here.
            TPersistent* object = prop->GetObj ? prop->GetObj(*component) : nullptr;
            auto* nodes = IsA(object, "TTreeNodes") ? dynamic_cast<TTreeNodes*>(object) : nullptr;
            auto* items = IsA(object, "TListItems") ? dynamic_cast<TListItems*>(object) : nullptr;
            if (nodes) {
                ApplyTree(*nodes, child);
            } else if (items) {
                ApplyListItems(*items, child);
            } else {
                ApplyProperties(object, child);
                ApplyObject(object, child);
            }
        }
    } catch (...) {
        // The rest of this component is abandoned; its siblings still get their texts.
    }
}

bool TBvTranslator::Settable(const TPersistent& object, const TPropInfo* prop) {
    return prop && prop->Writable() && !IsIgnored(object.ClassInfo(), prop->Name);
}

bool TBvTranslator::SetPropertyText(TPersistent& object, const TPropInfo& prop,
                                    const std::string& text, bool shortCutRule) {
    switch (prop.Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkInt64:
        if (!prop.SetOrd)
            return false;
        if (shortCutRule && SameText(prop.Name, "ShortCut"))
            prop.SetOrd(object, TextToShortCut(text) & 0xFFFF);
        else
            prop.SetOrd(object, StrToInt64Def(Trim(text), -1));
        return true;
    case TTypeKind::tkEnumeration: {
        if (!prop.SetOrd)
            return false;
        // A number stands for itself; else the member of that name (-1 for none).
        int64_t number = StrToInt64Def(Trim(text), 0);
        if (number != 0 || text == "0")
            prop.SetOrd(object, number);
        else
            prop.SetOrd(object, prop.Type ? GetEnumValue(prop.Type, text) : 0);
        return true;
    }
    case TTypeKind::tkSet: {
        if (!prop.SetOrd || !prop.Type)
            return false;
        TSetValue value = 0;
        TextToSet(prop.Type, value, text);
        prop.SetOrd(object, static_cast<int64_t>(value));
        return true;
    }
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
    case TTypeKind::tkWString:
        if (!prop.SetStr)
            return false;
        prop.SetStr(object, LineBreaks(Bounded(text, prop.Name), false));
        return true;
    default:
        return false;
    }
}

void TBvTranslator::ApplyProperties(TPersistent* object, TBvSimpleXMLElem* element) {
    if (!object)
        return;
    for (int i = 0; i < element->PropertyCount(); ++i) {
        try {
            TBvSimpleXMLProp* attr = element->Properties().Item(i);
            const TPropInfo* prop = object->ClassInfo().FindProp(attr->Name());
            if (Settable(*object, prop))
                SetPropertyText(*object, *prop, attr->Value(), true);
        } catch (...) {
            // One failing attribute is skipped.
        }
    }
}

void TBvTranslator::ApplyObject(TPersistent* object, TBvSimpleXMLElem* element) {
    if (!object)
        return;
    auto* collection = IsA(object, "TCollection") ? dynamic_cast<TCollection*>(object) : nullptr;
    for (int i = 0; i < element->ItemCount(); ++i) {
        TBvSimpleXMLElem* child = element->Items().Item(i);
        if (!dynamic_cast<TBvSimpleXMLElemClassic*>(child))
            continue;
        try {
            if (collection) {
                int64_t index =
                    child->PropertyCount() ? child->Properties().IntValue("Index", -1) : -1;
                if (index == -1 || index >= collection->Count())
                    continue;
                TCollectionItem* item = collection->Items(static_cast<int>(index));
                path_.push_back(Format("%s[%d]", {child->Name(), static_cast<int>(index)}));
                TScopeExit leave([this] { path_.pop_back(); });
                ApplyProperties(item, child);
                ApplyObject(item, child);
                continue;
            }
            const TPropInfo* prop = object->ClassInfo().FindProp(child->Name());
            if (!Settable(*object, prop))
                continue;
            if (prop->Kind == TTypeKind::tkClass) {
                TPersistent* inner = prop->GetObj ? prop->GetObj(*object) : nullptr;
                path_.push_back(child->Name());
                TScopeExit leave([this] { path_.pop_back(); });
                ApplyProperties(inner, child);
                ApplyObject(inner, child);
            } else {
                // A property element carries its value as its text; no "ShortCut" rule here.
                SetPropertyText(*object, *prop, child->Value(), false);
            }
        } catch (...) {
            // One failing property element is skipped.
        }
    }
}

void TBvTranslator::ApplyList(TStrings& list, TBvSimpleXMLElem* element) {
    if (element->ItemCount() > 0 &&
        dynamic_cast<TBvSimpleXMLElemCData*>(element->Items().Item(0))) {
        // The whole list's text: each of its lines is bounded as one entry is.
        TStringList lines;
        lines.SetText(element->Items().Item(0)->Value());
        for (int i = 0; i < lines.Count(); ++i)
            lines.Put(i, Bounded(lines[i], Format("[%d]", {i})));
        list.SetText(lines.Text());
        return;
    }
    for (int i = 0; i < element->ItemCount(); ++i) {
        TBvSimpleXMLElem* child = element->Items().Item(i);
        if (!dynamic_cast<TBvSimpleXMLElemClassic*>(child))
            continue;
        int64_t index = IntAttribute(child, "Index", INT_MAX);
        // A non-numeric index reads as -1, which the list refuses and so ends this component.
        if (index < list.Count())
            list.Put(static_cast<int>(index),
                     Bounded(Attribute(child, "Value"), Format("[%d]", {static_cast<int>(index)})));
    }
}

void TBvTranslator::ApplyTree(TTreeNodes& nodes, TBvSimpleXMLElem* element) {
    for (int i = 0; i < element->ItemCount(); ++i) {
        TBvSimpleXMLElem* child = element->Items().Item(i);
        if (!dynamic_cast<TBvSimpleXMLElemClassic*>(child))
            continue;
        int64_t index = IntAttribute(child, "Index", INT_MAX);
        if (index < nodes.Count())
            nodes.Item(static_cast<int>(index))->Text =
                Bounded(Attribute(child, "Value"), Format("[%d]", {static_cast<int>(index)}));
    }
}

void TBvTranslator::ApplyListItems(TListItems& items, TBvSimpleXMLElem* element) {
    for (int i = 0; i < element->ItemCount(); ++i) {
        TBvSimpleXMLElem* child = element->Items().Item(i);
        if (!dynamic_cast<TBvSimpleXMLElemClassic*>(child))
            continue;
        int64_t index = IntAttribute(child, "Index", INT_MAX);
        if (index >= items.Count())
            continue;
        TListItem* item = items.Item(static_cast<int>(index));
        int64_t column = IntAttribute(child, "Column", INT_MAX);
        const std::string value =
            Bounded(Attribute(child, "Value"), Format("[%d]", {static_cast<int>(index)}));
        if (column == 0)
            item->Caption = value;
        else if (column >= 1 && column <= item->SubItems()->Count())
            item->SubItems()->Put(static_cast<int>(column - 1), value);
    }
}
