// The user-interface translator: applies a language file (XML) to the windows that exist,
// walking from the application object down by component name, setting published properties
// (texts, numbers, enumerations, sets, objects, list, tree and list-view items) and filling
// the registered message strings. What a language file must never reach is the value of a
// setting: the translator's ignore list keeps the text of edits, memos and combo boxes and
// every Checked, ItemIndex and State out of its reach, as it keeps every Name.
#pragma once

#include "Component.h"

#include <memory>
#include <string>
#include <vector>

class TBvSimpleXML;
class TBvSimpleXMLElem;
class TStrings;
class TTreeNodes;
class TListItems;

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
    // The longest text a language file gives a property or a message string, in characters:
    // far beyond any caption, and short enough that no window is frozen measuring one.
    static constexpr size_t MaxTextLength = 1024;

    explicit TBvTranslator(TComponent* owner);
    ~TBvTranslator() override;

    // After a Translate: the message naming the file and each text that was cut to
    // MaxTextLength; empty when nothing was cut. A text is named once for a file, however
    // often the file is applied again.
    const std::string& Warning() const { return warning_; }

    // Loads the file and applies it; never raises (a broken file changes nothing).
    void Translate(const std::string& fileName);
    // The same for a language file's bytes already in memory.
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
    // The element's attributes, each a property of object (nothing for no object).
    void ApplyProperties(TPersistent* object, TBvSimpleXMLElem* element);
    // The element's child elements: collection items, or properties of object by name.
    void ApplyObject(TPersistent* object, TBvSimpleXMLElem* element);
    // One property from a text; false when the property's kind takes no text.
    bool SetPropertyText(TPersistent& object, const TPropInfo& prop, const std::string& text,
                         bool shortCutRule);
    bool Settable(const TPersistent& object, const TPropInfo* prop);
    void ApplyList(TStrings& list, TBvSimpleXMLElem* element);
    void ApplyTree(TTreeNodes& nodes, TBvSimpleXMLElem* element);
    void ApplyListItems(TListItems& items, TBvSimpleXMLElem* element);
    void ApplyRoot(const std::string& source);
    // The text as a property takes it: cut to MaxTextLength, noted under the walk's current
    // path and the property's name.
    std::string Bounded(const std::string& text, const std::string& property);
    std::unique_ptr<TBvSimpleXML> xml_;
    // Where the walk is ("Form2.cbShowPanel"), for naming a text that was cut.
    std::vector<std::string> path_;
    std::string source_;
    std::vector<std::string> cut_;
    std::vector<std::string> reported_;
    std::string warning_;
    std::vector<TIgnore> ignores_;
};
