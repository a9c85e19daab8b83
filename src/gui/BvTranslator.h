// The user-interface translator: applies a language file (XML) to the windows that exist,
// walking from the application object down by component name, and fills the registered
// message strings. A language file changes only what the user reads (captions, hints,
// item texts, the message strings); no setting's value is reachable from it.
#pragma once

#include "Component.h"

#include <memory>
#include <string>
#include <vector>

class TBvSimpleXML;
class TBvSimpleXMLElem;
class TStrings;

// The registry of translatable message strings: a name and the caller's variable.
class TBvTranslatorStrings : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBvTranslatorStrings(TComponent* owner);
    ~TBvTranslatorStrings() override;
    // The variable must live as long as the component.
    void Add(const std::string& name, std::string& value);
    int IndexOf(const std::string& name) const;
    void SetValue(int index, const std::string& text);
    int Count() const { return static_cast<int>(entries_.size()); }

private:
    std::vector<std::pair<std::string, std::string*>> entries_;
};

class TBvTranslator : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBvTranslator(TComponent* owner);
    ~TBvTranslator() override;

    // Loads the file and applies it; never raises (a broken file changes nothing).
    void Translate(const std::string& fileName);
    // The same for a language file already in memory.
    void TranslateText(const std::string& xml);
    virtual void TranslateComponent(TComponent* component, TBvSimpleXMLElem* element);
    virtual TBvSimpleXMLElem* ElementForName(TBvSimpleXMLElem* element, const std::string& name,
                                             bool recurse);

    void IgnoreClass(const TClassInfo& info);
    void IgnoreProperty(const TClassInfo& info, const std::string& propName);
    // With an empty name: whether the whole class is ignored.
    bool IsIgnored(const TClassInfo& info, const std::string& propName);

private:
    struct TIgnore {
        const TClassInfo* Class;
        std::vector<std::string> Props; // empty: the whole class
    };
    void ApplyAttributes(TPersistent& object, TBvSimpleXMLElem* element);
    void ApplyList(TStrings& list, TBvSimpleXMLElem* element);
    void ApplyRoot();
    std::unique_ptr<TBvSimpleXML> xml_;
    std::vector<TIgnore> ignores_;
};
